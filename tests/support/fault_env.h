// An Env for tests, over the system's: it records what the programs do with
// their files and other programs, in order, and fails what a test tells it
// to: the n-th operation of a kind, or every write once the disk is full.
// It is the same on Linux and Windows, so the cases that use it run under
// wine too.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/env.h"

namespace testing_support {

// The operations a FaultEnv counts and records.
enum class FileOp {
  kOpen, kCreate, kAppend, kWrite, kFlush, kSync, kClose, kRename, kRemove, kCopy, kLock, kRun, kTruncate };

// The system's own words and number for a full disk and for a file that is
// not allowed, as the platform reports them.
platform::SystemStatus DiskFull();
platform::SystemStatus NotAllowed();

// An OutputFile that keeps what is written.
class StringOutputFile final : public platform::OutputFile {
 public:
  platform::SystemStatus Write(const char* bytes, std::size_t count) override {
    text_.append(bytes, count);
    return platform::SystemStatus::Ok();
  }
  platform::SystemStatus Flush() override { return platform::SystemStatus::Ok(); }
  platform::SystemStatus Truncate(std::uint64_t size) override {
    text_.resize(static_cast<std::size_t>(size));
    return platform::SystemStatus::Ok();
  }
  platform::SystemStatus Sync() override { return platform::SystemStatus::Ok(); }
  platform::SystemStatus Close() override { return platform::SystemStatus::Ok(); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// The system's files with a clock of the test's own: it shows now, moved on
// by step_minutes at every reading, which it counts.
class ClockEnv final : public platform::EnvWrapper {
 public:
  explicit ClockEnv(const platform::LocalTime& now, int step_minutes = 0)
      : EnvWrapper(platform::SystemEnv()), now_(now), step_minutes_(step_minutes) {}
  platform::LocalTime LocalNow() override {
    platform::LocalTime t = now_;
    t.minute += step_minutes_ * readings_++;
    return t;
  }
  int readings() const { return readings_; }

 private:
  platform::LocalTime now_;
  int step_minutes_;
  int readings_ = 0;
};

// A local time: the date, the time of day, and how far east of UTC.
inline platform::LocalTime LocalTimeOf(int year, int month, int day, int hour, int minute, int second,
                                       int utc_offset_minutes = 0) {
  platform::LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.utc_offset_minutes = utc_offset_minutes;
  return t;
}

class FaultEnv final : public platform::EnvWrapper {
 public:
  explicit FaultEnv(platform::Env& target = platform::SystemEnv()) : EnvWrapper(target) {}

  // The n-th operation of the kind from now on (1: the next), on a file
  // whose name holds name_part (ignoring case; empty: any), fails with
  // failure. Several may be set.
  void FailNth(FileOp op, int n, const std::string& name_part = std::string(),
               platform::SystemStatus failure = DiskFull());

  // The disk holds bytes more: the write that would go past them fails (and
  // takes nothing), and so does every write after it.
  void SetSpaceLeft(std::uint64_t bytes) {
    space_limited_ = true;
    space_left_ = bytes;
  }

  // Every operation so far, in order, one line each: "create qs001F25.dat",
  // "write QS001T30.DAT 58", "sync QS001T30.DAT", "rename a b", "run xferlnk
  // F30.DAT 001". Names are the last part of each path.
  const std::vector<std::string>& operations() const { return operations_; }
  // Notes a line of the test's own among them (such as what a scale
  // received), so that their order can be checked.
  void Note(const std::string& line) { operations_.push_back(line); }

  // Starts programs in the test's own way (running the transfer program in
  // the same process, say); the system's way when not set.
  using ProgramRunner = std::function<platform::SystemStatus(const std::string& program,
                                                             const std::vector<std::string>& arguments,
                                                             const std::string& directory, platform::ProgramEnd* end)>;
  void SetProgramRunner(ProgramRunner runner) { runner_ = std::move(runner); }
  // The folder the programs take as their own (with its separator); the
  // system's when not set.
  void SetProgramDirectory(std::string folder) { program_directory_ = std::move(folder); }

  platform::SystemStatus OpenForReading(const std::string& path, std::unique_ptr<platform::InputFile>* file) override;
  platform::SystemStatus CreateForWriting(const std::string& path,
                                          std::unique_ptr<platform::OutputFile>* file) override;
  platform::SystemStatus OpenForAppending(const std::string& path,
                                          std::unique_ptr<platform::OutputFile>* file) override;
  platform::SystemStatus Rename(const std::string& source, const std::string& target) override;
  platform::SystemStatus Remove(const std::string& path) override;
  platform::SystemStatus Copy(const std::string& source, const std::string& target) override;
  platform::SystemStatus Lock(const std::string& path, const std::function<void()>& before_waiting,
                              int wait_seconds, platform::FileLock* lock) override;
  platform::SystemStatus RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                                    const std::string& directory, platform::ProgramEnd* end) override;
  std::string ProgramDirectory() override {
    return program_directory_.empty() ? target().ProgramDirectory() : program_directory_;
  }

  // What the files of this Env call back: counts, records and maybe fails
  // an operation on the file named name; bytes for a write.
  platform::SystemStatus Step(FileOp op, const std::string& name, std::uint64_t bytes = 0);

 private:
  // Opens a file for writing (kCreate or kAppend) that goes through Step.
  platform::SystemStatus OpenOutput(FileOp op, const std::string& path, std::unique_ptr<platform::OutputFile>* file);

  struct Fault {
    FileOp op;
    int countdown;
    std::string name_part;
    platform::SystemStatus failure;
  };

  std::vector<Fault> faults_;
  std::vector<std::string> operations_;
  bool space_limited_ = false;
  std::uint64_t space_left_ = 0;
  ProgramRunner runner_;
  std::string program_directory_;
};

}  // namespace testing_support
