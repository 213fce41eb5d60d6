// Win32 side of child_process.h: CreateProcessA with the program named
// directly, an environment block of its own when entries are given, and
// anonymous pipes looked into with PeekNamedPipe.
#include "platform/windows_headers_win32.h"

#include <algorithm>

#include "platform/windows_command_line.h"
#include "support/child_process.h"

namespace testing_support {
namespace {

constexpr DWORD kReadBytes = 65536;
// The pause between two looks into pipes that held nothing.
constexpr int kPipeStepMs = 2;

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

// The caller's environment as "NAME=value" entries.
std::vector<std::string> CallerEnvironment() {
  std::vector<std::string> entries;
  char* block = GetEnvironmentStringsA();
  if (block == nullptr) return entries;
  for (const char* entry = block; *entry != '\0'; entry += entries.back().size() + 1) entries.push_back(entry);
  FreeEnvironmentStringsA(block);
  return entries;
}

// The standard handle the program is given for use, inheritable; null for
// none. Captured streams give the pipe's write end and its read end in
// *read_end.
HANDLE StreamHandle(DWORD standard, StreamUse use, bool output, HANDLE* read_end) {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE handle = nullptr;
  if (use == StreamUse::kInherit) {
    HANDLE own = GetStdHandle(standard);
    if (own == nullptr || own == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &handle, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
      return nullptr;
    }
    return handle;
  }
  if (use == StreamUse::kCapture && output) {
    if (!CreatePipe(read_end, &handle, &inheritable, 0)) return nullptr;
    SetHandleInformation(*read_end, HANDLE_FLAG_INHERIT, 0);
    return handle;
  }
  handle = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                       OPEN_EXISTING, 0, nullptr);
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

}  // namespace

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                         const ChildSetup& setup) {
  if (started_ && !Wait(0)) return false;
  Forget();
  std::string command_line = platform::WindowsCommandLine(program, arguments);
  // The block: each entry ended by a zero byte, and one more at the end.
  std::string environment_block;
  for (const std::string& entry : MergeEnvironment(CallerEnvironment(), setup.environment, true)) {
    environment_block += entry + '\0';
  }
  environment_block += '\0';

  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  // Standard handles of its own only when one is not the caller's: then every
  // inheritable handle goes to the program.
  const bool all_inherited = setup.input == StreamUse::kInherit && setup.output == StreamUse::kInherit &&
                             setup.error == StreamUse::kInherit;
  HANDLE read_ends[2] = {nullptr, nullptr};
  if (!all_inherited) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = StreamHandle(STD_INPUT_HANDLE, setup.input, false, nullptr);
    startup.hStdOutput = StreamHandle(STD_OUTPUT_HANDLE, setup.output, true, &read_ends[0]);
    startup.hStdError = StreamHandle(STD_ERROR_HANDLE, setup.error, true, &read_ends[1]);
  }
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  bool made = CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, all_inherited ? FALSE : TRUE, 0,
                             environment_block.data(),
                             setup.directory.empty() ? nullptr : setup.directory.c_str(), &startup, &process);
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
    if (handle != nullptr) CloseHandle(handle);
  }
  for (int i = 0; i < 2; ++i) {
    streams_[i] = read_ends[i] != nullptr ? reinterpret_cast<std::intptr_t>(read_ends[i]) : -1;
  }
  if (!made) {
    CloseStreams();
    return false;
  }
  CloseHandle(process.hThread);
  started_ = true;
  process_ = reinterpret_cast<std::intptr_t>(process.hProcess);
  id_ = process.dwProcessId;
  return true;
}

bool ChildProcess::ReadStreams(int limit_ms) {
  for (const long long deadline = NowMs() + limit_ms;; SleepMs(kPipeStepMs)) {
    bool came = false;
    for (int i = 0; i < 2; ++i) {
      if (streams_[i] == -1) continue;
      DWORD available = 0;
      if (!PeekNamedPipe(AsHandle(streams_[i]), nullptr, 0, nullptr, &available, nullptr)) {
        CloseHandle(AsHandle(streams_[i]));  // its end: every writer closed it
        streams_[i] = -1;
        came = true;
        continue;
      }
      if (available == 0) continue;
      char buffer[kReadBytes];
      DWORD got = 0;
      if (::ReadFile(AsHandle(streams_[i]), buffer, std::min(available, kReadBytes), &got, nullptr) && got > 0) {
        (i == 0 ? output_ : error_output_).append(buffer, got);
        came = true;
      }
    }
    if (came) return true;
    if (limit_ms >= 0 && NowMs() >= deadline) return false;
  }
}

void ChildProcess::CloseStreams() {
  for (std::intptr_t& stream : streams_) {
    if (stream != -1) CloseHandle(AsHandle(stream));
    stream = -1;
  }
}

bool ChildProcess::Reap(bool block) {
  if (ended_) return true;
  if (WaitForSingleObject(AsHandle(process_), block ? INFINITE : 0) != WAIT_OBJECT_0) return false;
  DWORD exit_code = 0;
  GetExitCodeProcess(AsHandle(process_), &exit_code);
  CloseHandle(AsHandle(process_));
  process_ = -1;
  ended_ = true;
  exit_status_ = static_cast<int>(exit_code);
  return true;
}

void ChildProcess::Signal(int) {
  if (started_ && !ended_) TerminateProcess(AsHandle(process_), 1);
}

void ChildProcess::Kill() {
  Signal(0);
  CloseStreams();
}

void ChildProcess::Terminate() { Signal(0); }

}  // namespace testing_support
