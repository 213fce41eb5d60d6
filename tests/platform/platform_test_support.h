// What the platform contract tests need around the layer under test, for
// Linux and Windows alike: temporary folders, whole files, the helper
// program, a program running in the background, environment variables and a
// listening loopback socket.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sockets.h"

namespace platform_test {

// A fresh folder in the system's temporary folder, removed with everything in
// it at the end of its scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

bool WriteFile(const std::string& path, const std::string& bytes);
// The file's bytes; "<missing>" if it cannot be read.
std::string ReadFile(const std::string& path);

// The path of platform_test_helper, built beside the test program.
std::string HelperPath();

// Milliseconds of a steady clock.
long long NowMs();
void SleepMs(int ms);
// Waits up to limit_ms until the file holds a whole line (ends in a line
// feed).
bool WaitForFile(const std::string& path, int limit_ms);

// A program started without waiting for it; killed and waited for at the
// end of its scope if it still runs.
class BackgroundProgram {
 public:
  BackgroundProgram() = default;
  ~BackgroundProgram();
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;
  bool Start(const std::string& program, const std::vector<std::string>& arguments);
  // Kills it at once (SIGKILL, TerminateProcess).
  void Kill();
  // Waits up to limit_ms for it to end; false if it still runs.
  bool Wait(int limit_ms);

 private:
  std::intptr_t process_ = -1;  // the process id or handle; -1 none
};

// True once no process of that id runs any more (a process that ended but
// was not yet waited for counts as gone).
bool ProcessIsGone(long long process_id);

// Sets or replaces a variable of this process's environment.
void SetVariable(const std::string& name, const std::string& value);

// A TCP socket listening on a loopback address of this test's own (derived
// from the test's name) and a port the system chose. It accepts nothing by
// itself: connections wait in its queue until Accept.
class LoopbackListener {
 public:
  // receive_buffer: the buffer size of the connections it accepts; 0 for
  // the system's.
  explicit LoopbackListener(int receive_buffer = 0);
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;
  bool listening() const { return socket_ != platform::kInvalidSocket; }
  std::uint32_t address() const { return address_; }
  std::uint16_t port() const { return port_; }
  // The next connection, or kInvalidSocket.
  platform::SocketHandle Accept();

 private:
  platform::SocketHandle socket_ = platform::kInvalidSocket;
  std::uint32_t address_ = 0;
  std::uint16_t port_ = 0;
};

}  // namespace platform_test
