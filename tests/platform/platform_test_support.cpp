// Test support for the platform contract tests; see platform_test_support.h.
#include "platform_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/files.h"
#include "platform/process.h"

#ifdef _WIN32
#include "platform/windows_headers_win32.h"

#include "platform/windows_command_line.h"
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace platform_test {
namespace {

constexpr int kWaitStepMs = 10;

#ifdef _WIN32
using NativeSocket = SOCKET;
void CloseNative(NativeSocket s) { closesocket(s); }
#else
using NativeSocket = int;
void CloseNative(NativeSocket s) { close(s); }
#endif

}  // namespace

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TempDir::TempDir() {
  namespace fs = std::filesystem;
  static unsigned counter = 0;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    fs::path candidate = fs::temp_directory_path() /
                         ("platform-test-" + std::to_string(stamp) + "-" + std::to_string(++counter));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string TempDir::File(const std::string& name) const { return platform::JoinPath(path_, name); }

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  return !out.fail();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string HelperPath() {
  return platform::ProgramDirectory() + platform::ProgramFileName("platform_test_helper");
}

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool WaitForFile(const std::string& path, int limit_ms) {
  for (long long end = NowMs() + limit_ms; NowMs() < end;) {
    std::string bytes = ReadFile(path);
    if (!bytes.empty() && bytes.back() == '\n') return true;
    SleepMs(kWaitStepMs);
  }
  return false;
}

BackgroundProgram::~BackgroundProgram() {
  if (process_ == -1) return;
  Kill();
  Wait(10000);
}

#ifdef _WIN32

bool BackgroundProgram::Start(const std::string& program, const std::vector<std::string>& arguments) {
  std::string command_line = platform::WindowsCommandLine(program, arguments);
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  process_ = reinterpret_cast<std::intptr_t>(process.hProcess);
  return true;
}

void BackgroundProgram::Kill() {
  if (process_ != -1) TerminateProcess(reinterpret_cast<HANDLE>(process_), 1);
}

bool BackgroundProgram::Wait(int limit_ms) {
  if (process_ == -1) return true;
  HANDLE process = reinterpret_cast<HANDLE>(process_);
  if (WaitForSingleObject(process, static_cast<DWORD>(limit_ms)) != WAIT_OBJECT_0) return false;
  CloseHandle(process);
  process_ = -1;
  return true;
}

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

bool BackgroundProgram::Start(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  process_ = pid;
  return true;
}

void BackgroundProgram::Kill() {
  if (process_ != -1) kill(static_cast<pid_t>(process_), SIGKILL);
}

bool BackgroundProgram::Wait(int limit_ms) {
  if (process_ == -1) return true;
  for (long long end = NowMs() + limit_ms;;) {
    int status;
    if (waitpid(static_cast<pid_t>(process_), &status, WNOHANG) != 0) break;
    if (NowMs() >= end) return false;
    SleepMs(kWaitStepMs);
  }
  process_ = -1;
  return true;
}

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

LoopbackListener::LoopbackListener(int receive_buffer) {
  // 127.x.y.z from the test's name and the process id, as tests/support
  // does, so that tests running at once never meet.
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "none";
#ifdef _WIN32
  name += "/" + std::to_string(GetCurrentProcessId());
#else
  name += "/" + std::to_string(getpid());
#endif
  unsigned long long h = 1469598103934665603ULL;
  for (unsigned char c : name) h = (h ^ c) * 1099511628211ULL;
  std::uint32_t address = 0x7F000000u | static_cast<std::uint32_t>((10 + h % 240) << 16) |
                          static_cast<std::uint32_t>((1 + (h >> 16) % 250) << 8) |
                          static_cast<std::uint32_t>(1 + (h >> 32) % 250);

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
  if (bind(s, reinterpret_cast<struct sockaddr*>(&local), sizeof local) != 0 || listen(s, 4) != 0 ||
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

}  // namespace platform_test
