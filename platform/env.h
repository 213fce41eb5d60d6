// Everything the shop programs do with the system's files, its clock and its
// other programs goes through one Env, so that a test can put its own in
// place of the system's: one that fails the n-th write, runs out of space at
// a given byte, or records in which order files were written, synced and
// renamed. The system's Env (SystemEnv) is the platform files (files.h,
// file_lock.h, local_time.h, process.h); sockets are not part of it.
//
// Every name goes through ResolveName before it is opened, created, renamed
// or removed, so that names that differ only in letter case are one file, as
// on the shop PC.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/local_time.h"
#include "platform/process.h"
#include "platform/system_error.h"

namespace platform {

// What is known of a name in the file system.
struct FileInfo {
  bool exists = false;  // something of that name: a file or a folder
  bool folder = false;
  std::uint64_t size = 0;
  FileIdentity identity;  // tells one version of a file from another
  LocalTime modified;     // when it was last written, local time (offset 0)
};

class Env {
 public:
  virtual ~Env() = default;

  // Files.
  // The name under which a file is opened (files.h ResolveName).
  virtual std::string ResolveName(const std::string& path) = 0;
  virtual FileInfo Stat(const std::string& path) = 0;
  // A file for reading (files.h OpenFileForReading).
  virtual SystemStatus OpenForReading(const std::string& path, std::unique_ptr<InputFile>* file) = 0;
  // A new file, or an existing one emptied, for writing.
  virtual SystemStatus CreateForWriting(const std::string& path, std::unique_ptr<OutputFile>* file) = 0;
  // A file for writing at its end, made if it is not there.
  virtual SystemStatus OpenForAppending(const std::string& path, std::unique_ptr<OutputFile>* file) = 0;
  // Renames source to target, replacing it, in one step where the system
  // allows (files.h RenameFile).
  virtual SystemStatus Rename(const std::string& source, const std::string& target) = 0;
  virtual SystemStatus Remove(const std::string& path) = 0;
  virtual SystemStatus Copy(const std::string& source, const std::string& target) = 0;
  virtual SystemStatus CreateFolders(const std::string& path) = 0;
  // The names in a folder, in no particular order ("." and ".." left out).
  virtual SystemStatus List(const std::string& folder, std::vector<std::string>* names) = 0;
  virtual SystemStatus Map(const std::string& path, MappedFile* file) = 0;
  virtual void Unmap(MappedFile* file) = 0;
  // Takes the lock on the lock file (file_lock.h), waiting for another
  // holder after calling before_waiting, at most wait_seconds
  // (FileLock::kWaitForever: without a limit).
  virtual SystemStatus Lock(const std::string& path, const std::function<void()>& before_waiting,
                            int wait_seconds, FileLock* lock) = 0;

  // The clock.
  virtual LocalTime LocalNow() = 0;
  // Seconds since some fixed moment, never going back: for durations.
  virtual double SteadySeconds() = 0;

  // Other programs: the folder of the running program, with a trailing
  // separator (files.h ProgramDirectory), where the programs it starts and
  // the files it carries lie; and starting one and waiting for its end
  // (process.h).
  virtual std::string ProgramDirectory() = 0;
  virtual SystemStatus RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::string& directory, ProgramEnd* end) = 0;
};

// The system's own Env, one for the whole process.
Env& SystemEnv();

// An Env that hands every call to another one: the base of an Env that
// changes a few of them.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env& target) : target_(target) {}
  Env& target() const { return target_; }

  std::string ResolveName(const std::string& path) override { return target_.ResolveName(path); }
  FileInfo Stat(const std::string& path) override { return target_.Stat(path); }
  SystemStatus OpenForReading(const std::string& path, std::unique_ptr<InputFile>* file) override {
    return target_.OpenForReading(path, file);
  }
  SystemStatus CreateForWriting(const std::string& path, std::unique_ptr<OutputFile>* file) override {
    return target_.CreateForWriting(path, file);
  }
  SystemStatus OpenForAppending(const std::string& path, std::unique_ptr<OutputFile>* file) override {
    return target_.OpenForAppending(path, file);
  }
  SystemStatus Rename(const std::string& source, const std::string& target) override {
    return target_.Rename(source, target);
  }
  SystemStatus Remove(const std::string& path) override { return target_.Remove(path); }
  SystemStatus Copy(const std::string& source, const std::string& target) override {
    return target_.Copy(source, target);
  }
  SystemStatus CreateFolders(const std::string& path) override { return target_.CreateFolders(path); }
  SystemStatus List(const std::string& folder, std::vector<std::string>* names) override {
    return target_.List(folder, names);
  }
  SystemStatus Map(const std::string& path, MappedFile* file) override { return target_.Map(path, file); }
  void Unmap(MappedFile* file) override { target_.Unmap(file); }
  SystemStatus Lock(const std::string& path, const std::function<void()>& before_waiting, int wait_seconds,
                    FileLock* lock) override {
    return target_.Lock(path, before_waiting, wait_seconds, lock);
  }
  LocalTime LocalNow() override { return target_.LocalNow(); }
  double SteadySeconds() override { return target_.SteadySeconds(); }
  std::string ProgramDirectory() override { return target_.ProgramDirectory(); }
  SystemStatus RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& directory, ProgramEnd* end) override {
    return target_.RunProgram(program, arguments, directory, end);
  }

 private:
  Env& target_;
};

// A file's whole text, for small files (result files, tables); a failure if
// it cannot be read, or is longer than max_bytes.
SystemStatus ReadWholeFile(Env& env, const std::string& path, std::size_t max_bytes, std::string* text);

// Writes text as the whole new contents of the file.
SystemStatus WriteWholeFile(Env& env, const std::string& path, const std::string& text);

// True if a regular file (not a folder) exists under the name.
inline bool IsFile(Env& env, const std::string& path) {
  const FileInfo info = env.Stat(path);
  return info.exists && !info.folder;
}

}  // namespace platform
