// Helpers for tests that run the built programs: temporary directories,
// running a program with a time limit, files, loopback addresses, name
// resolution through nss_wrapper, and the scale emulator.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace testing_support {

// Path of a built program (VelkoCon, xferlnk, scalesim).
std::string BinPath(const std::string& program);
// Path below the source tree (examples/..., tests/...).
std::string SourcePath(const std::string& relative);

// A fresh directory, removed with everything in it at the end of its scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ProgramResult {
  int status = -1;         // exit status 0..255, or -1 if killed by a signal
  bool timed_out = false;  // killed at the time limit
  std::string out;         // everything written on standard output
  std::string err;         // everything written on standard error
};

// Runs program with the arguments in directory, the environment of the test
// plus extra_env ("NAME=value" entries replace variables of that name), no
// standard input, and kills it after timeout_ms.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& directory, const std::vector<std::string>& extra_env = {},
                         int timeout_ms = 30000);

bool WriteFile(const std::string& path, const std::string& bytes);
// The file's bytes; "<missing>" if it cannot be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// A loopback address (127.x.y.z) of this test's own, derived from its name,
// so that tests running in parallel never share an address and port.
std::string LoopbackAddressForTest();

// Writes a hosts file for nss_wrapper and gives the environment entries that
// make a program resolve names through it.
std::vector<std::string> HostsEnvironment(const std::string& hosts_file,
                                          const std::vector<std::pair<std::string, std::string>>& names);

// A file-size limit on the programs this test starts while the object
// lives. They inherit the limit and the ignored SIGXFSZ, so a write past
// the limit fails instead of ending them.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct rlimit saved_;
  void (*saved_handler_)(int);
};

// The scale emulator, started in the background; stopped (and its store
// written) when the object ends or Stop is called.
class ScaleSim {
 public:
  ScaleSim() = default;
  ~ScaleSim();
  ScaleSim(const ScaleSim&) = delete;
  ScaleSim& operator=(const ScaleSim&) = delete;

  // Starts "scalesim serve --store store --listen A:P ... --ready F --log L"
  // with the extra arguments, and waits until it is ready. False if it did
  // not get ready within a few seconds.
  bool Start(const std::string& store, const std::vector<std::string>& listen,
             const std::vector<std::string>& extra_arguments = {});
  // Stops it with SIGTERM and waits; true if it ended with status 0.
  bool Stop();
  // The packet log written so far.
  std::string Log() const;
  const std::string& log_path() const { return log_path_; }

 private:
  pid_t pid_ = -1;
  std::string log_path_;
  std::string ready_path_;
};

}  // namespace testing_support
