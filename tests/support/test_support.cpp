// The test kit's part for Linux and Windows alike; see test_support.h.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "platform/files.h"
#include "platform/process.h"

#ifdef _WIN32
#include "platform/windows_headers_win32.h"
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace testing_support {
namespace {

constexpr int kWaitStepMs = 10;
constexpr std::size_t kReadBytes = 65536;
constexpr int kListenQueue = 4;
// Names a new temporary folder may be tried under before giving up.
constexpr int kTempDirTries = 1000;

#ifdef _WIN32
using NativeSocket = SOCKET;
void CloseNative(NativeSocket s) { closesocket(s); }
long long ProcessId() { return GetCurrentProcessId(); }
#else
using NativeSocket = int;
void CloseNative(NativeSocket s) { close(s); }
long long ProcessId() { return getpid(); }
#endif

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// A scale on an address in DHCP mode listens on this port + the address's
// last number (1..kLastNumbers).
constexpr int kDhcpBasePort = 2000;
constexpr std::uint32_t kLastNumbers = 250;

// False if a listener cannot take the port on the address: a program of the
// machine holds it for every address (0.0.0.0). True when it cannot tell.
bool PortFree(std::uint32_t address, int port) {
  NativeSocket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (static_cast<platform::SocketHandle>(s) == platform::kInvalidSocket) return true;
  struct sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(address);
  local.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool free = bind(s, reinterpret_cast<struct sockaddr*>(&local), sizeof local) == 0;
  CloseNative(s);
  return free;
}

// 127.x.y.z from the test's name and the process id (FNV-1a): tests of one
// run differ by name, and two builds running the same test at once differ
// by process. The last number moves on past one whose DHCP-mode port the
// machine holds; the choice is kept for the rest of the test, whose own
// scales then hold that port.
std::uint32_t LoopbackAddressNumberForTest() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "none";
  name += '/';
  name += std::to_string(ProcessId());
  static std::mutex lock;
  static std::string chosen_for;
  static std::uint32_t chosen = 0;
  std::lock_guard<std::mutex> hold(lock);
  if (name == chosen_for) return chosen;
  unsigned long long h = 1469598103934665603ULL;
  for (unsigned char c : name) h = (h ^ c) * 1099511628211ULL;
  const std::uint32_t network = 0x7F000000u | static_cast<std::uint32_t>((10 + h % 240) << 16) |
                                static_cast<std::uint32_t>((1 + (h >> 16) % 250) << 8);
  std::uint32_t last = static_cast<std::uint32_t>(1 + (h >> 32) % kLastNumbers);
  for (std::uint32_t tried = 1; tried < kLastNumbers && !PortFree(network | last, kDhcpBasePort + static_cast<int>(last));
       ++tried) {
    last = last % kLastNumbers + 1;
  }
  chosen_for = name;
  chosen = network | last;
  return chosen;
}

}  // namespace

std::string BinPath(const std::string& program) {
  std::string windows_dir = FromEnvironment("SCALELINK_PROGRAM_DIR");
  if (!windows_dir.empty() && (program == "VelkoCon" || program == "xferlnk")) {
    return windows_dir + "/" + program + FromEnvironment("SCALELINK_EXE_SUFFIX");
  }
  return std::string(SCALELINK_BIN_DIR) + "/" + program;
}

std::string SourcePath(const std::string& relative) { return std::string(SCALELINK_SOURCE_DIR) + "/" + relative; }

std::string HelperPath() {
  return platform::ProgramDirectory() + platform::ProgramFileName("platform_test_helper");
}

TempDir::TempDir() {
  namespace fs = std::filesystem;
  static std::atomic<unsigned> counter{0};
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  for (int tries = 0; tries < kTempDirTries; ++tries) {
    fs::path candidate =
        base / ("scalelink-test-" + std::to_string(ProcessId()) + "-" + std::to_string(++counter));
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
  ADD_FAILURE() << "No temporary folder could be made in " << base.string();
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const { return platform::JoinPath(path_, name); }

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string ReadFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return "<missing>";
  std::string bytes;
  char buffer[kReadBytes];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char c : bytes) text += {kDigits[c >> 4], kDigits[c & 15]};
  return text;
}

bool WaitForFile(const std::string& path, int limit_ms) {
  for (long long end = NowMs() + limit_ms; NowMs() < end; SleepMs(kWaitStepMs)) {
    std::string bytes = ReadFile(path);
    if (!bytes.empty() && bytes.back() == '\n') return true;
  }
  return false;
}

#ifdef _WIN32

bool ProcessIsGone(long long process_id) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(process_id));
  if (process == nullptr) return true;
  bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

void SetVariable(const std::string& name, const std::string& value) {
  SetEnvironmentVariableA(name.c_str(), value.c_str());
}

#else

bool ProcessIsGone(long long process_id) {
  // A process that ended stays as a zombie until its parent, or whoever
  // took it over, waits for it; its state letter is then Z.
  std::ifstream stat("/proc/" + std::to_string(process_id) + "/stat");
  if (!stat) return true;
  std::string line;
  std::getline(stat, line);
  std::string::size_type name_end = line.rfind(')');
  return name_end == std::string::npos || line.compare(name_end, 3, ") Z") == 0;
}

void SetVariable(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }

#endif

std::string LoopbackAddressForTest() {
  std::uint32_t address = LoopbackAddressNumberForTest();
  return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
         std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

LoopbackListener::LoopbackListener(int receive_buffer) {
  const std::uint32_t address = LoopbackAddressNumberForTest();
  NativeSocket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (static_cast<platform::SocketHandle>(s) == platform::kInvalidSocket) return;
  if (receive_buffer > 0) {
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receive_buffer), sizeof receive_buffer);
  }
  struct sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(address);
  local.sin_port = 0;
#ifdef _WIN32
  int length = sizeof local;
#else
  socklen_t length = sizeof local;
#endif
  if (bind(s, reinterpret_cast<struct sockaddr*>(&local), sizeof local) != 0 || listen(s, kListenQueue) != 0 ||
      getsockname(s, reinterpret_cast<struct sockaddr*>(&local), &length) != 0) {
    CloseNative(s);
    return;
  }
  socket_ = static_cast<platform::SocketHandle>(s);
  address_ = address;
  port_ = ntohs(local.sin_port);
}

LoopbackListener::~LoopbackListener() {
  if (listening()) CloseNative(static_cast<NativeSocket>(socket_));
}

platform::SocketHandle LoopbackListener::Accept() {
  NativeSocket s = accept(static_cast<NativeSocket>(socket_), nullptr, nullptr);
  return static_cast<platform::SocketHandle>(s);
}

}  // namespace testing_support
