// The test kit, the part for Linux and Windows alike (the platform contract
// tests run it under wine too): paths of the built programs and sources,
// temporary folders, whole files, waits, programs in the background, the
// environment, and loopback addresses of a test's own. What only POSIX
// tests need (running a program with its output captured and a time limit,
// name resolution through nss_wrapper) is in
// test_support_posix.h; how a program is started, in child_process.h; the
// scale emulator, in scale_sim.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sockets.h"
#include "support/child_process.h"

namespace testing_support {

// Path of a built program (VelkoCon, xferlnk, scalesim). With
// SCALELINK_PROGRAM_DIR set, the shop programs (not the emulator) come from
// there, named with SCALELINK_EXE_SUFFIX (".exe"): the Windows programs.
std::string BinPath(const std::string& program);
// Path below the source tree (examples/..., tests/...).
std::string SourcePath(const std::string& relative);
// The path of platform_test_helper, built beside the running test program.
std::string HelperPath();

// A fresh folder in the system's temporary folder, removed with everything
// in it at the end of its scope.
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
// True if something (a file, a folder, a link) has that name.
bool Exists(const std::string& path);

// The bytes as upper-case hex text, two digits a byte, as the scale files
// are written.
std::string Hex(const std::string& bytes);

// Waits up to limit_ms until the file holds a whole line (ends in a line
// feed).
bool WaitForFile(const std::string& path, int limit_ms);

// A program started without waiting for it (Start, Kill, Wait); killed and
// waited for at the end of its scope if it still runs.
using BackgroundProgram = ChildProcess;

// Names the cases of a parameterized test by their "name" member:
// INSTANTIATE_TEST_SUITE_P(, Suite, ::testing::ValuesIn(kCases), CaseName()).
struct CaseName {
  template <typename TestParamInfo>
  std::string operator()(const TestParamInfo& test) const {
    return std::string(test.param.name);
  }
};

// True once no process of that id runs any more (a process that ended but
// was not yet waited for counts as gone).
bool ProcessIsGone(long long process_id);

// Sets or replaces a variable of this process's environment.
void SetVariable(const std::string& name, const std::string& value);

// A loopback address (127.x.y.z) of this test's own, derived from its name
// and the process id, so that tests running in parallel never share an
// address and port.
std::string LoopbackAddressForTest();

// A TCP socket listening on the test's own loopback address (as above) and a
// port the system chose. It accepts nothing by itself: connections wait in
// its queue until Accept.
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

}  // namespace testing_support
