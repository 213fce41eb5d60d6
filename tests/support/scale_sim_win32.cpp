// The Windows side of scale_sim.h, for the tests built for Windows that run
// under wine. There is no Windows build of the emulator: the test starts the
// Linux scalesim that SCALELINK_SCALESIM names by its Unix path. wine's
// CreateProcess runs a Unix program when it is given one, but hands back no
// process handle for it and gives it none of the test's pipes, so the test
// can neither wait for it nor end it. So /bin/sh runs it and writes its exit
// status into a file once it has ended, and it is stopped by its stop file
// (--stop-file). Every path goes to it as a Unix path, as wine's own
// wine_get_unix_file_name gives it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/windows_command_line.h"
#include "platform/windows_headers_win32.h"
#include "support/scale_sim.h"
#include "support/test_support.h"

namespace testing_support {
namespace {

// How long the emulator may take to get ready, and to end once asked to.
constexpr int kScaleSimReadyMs = 5000;
constexpr int kScaleSimStopMs = 5000;
constexpr int kWaitStepMs = 10;
// The shell, on wine's drive Z:, which is the Unix root.
constexpr char kShell[] = "Z:\\bin\\sh";
// What the shell runs: the emulator ("$@") with no standard input or output
// of the test's, then its exit status into the file "$1".
constexpr char kRunAndTellStatus[] = "status=$1; shift; \"$@\" </dev/null >/dev/null; echo $? >\"$status\"";

// The Unix path of a Windows path; empty outside wine.
std::string UnixPath(const std::string& path) {
  using UnixName = char*(CDECL*)(const WCHAR*);
  const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
  if (found == nullptr) return "";
  const UnixName unix_name = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(found));
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (length <= 0) return "";
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
  char* name = unix_name(wide.c_str());
  if (name == nullptr) return "";
  std::string unix_path = name;
  HeapFree(GetProcessHeap(), 0, name);
  return unix_path;
}

}  // namespace

bool ScaleSim::Start(const std::string& store, const std::vector<std::string>& listen,
                     const std::vector<std::string>& extra_arguments) {
  if (running_) return false;
  const char* emulator = std::getenv("SCALELINK_SCALESIM");
  if (emulator == nullptr || *emulator == '\0') {
    ADD_FAILURE() << "SCALELINK_SCALESIM does not name the Linux scalesim";
    return false;
  }
  log_path_ = store + ".log";
  ready_path_ = store + ".ready";
  stop_path_ = store + ".stop";
  status_path_ = store + ".status";
  for (const std::string& path : {ready_path_, stop_path_, status_path_}) std::remove(path.c_str());
  const std::string unix_store = UnixPath(store);
  const std::string unix_ready = UnixPath(ready_path_);
  const std::string unix_log = UnixPath(log_path_);
  const std::string unix_stop = UnixPath(stop_path_);
  const std::string unix_status = UnixPath(status_path_);
  for (const std::string& path : {unix_store, unix_ready, unix_log, unix_stop, unix_status}) {
    if (path.empty()) {
      ADD_FAILURE() << "wine gives no Unix path for the emulator's files";
      return false;
    }
  }
  std::vector<std::string> extra = {"--stop-file", unix_stop};
  extra.insert(extra.end(), extra_arguments.begin(), extra_arguments.end());
  std::vector<std::string> args = {"-c", kRunAndTellStatus, "sh", unix_status, emulator};
  for (const std::string& a : ServeArguments(unix_store, listen, unix_ready, unix_log, extra)) args.push_back(a);

  std::string command_line = platform::WindowsCommandLine(kShell, args);
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  // What wine fills in for a Unix program is no handle of ours: nothing is
  // closed.
  if (!CreateProcessA(kShell, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  for (const long long end = NowMs() + kScaleSimReadyMs; NowMs() < end; SleepMs(kWaitStepMs)) {
    if (Exists(ready_path_)) {
      running_ = true;
      return true;
    }
    if (Exists(status_path_)) return false;  // it ended before it got ready
  }
  WriteFile(stop_path_, "");  // should it get ready after all
  return false;
}

bool ScaleSim::Stop() {
  if (!running_) return false;
  running_ = false;
  return WriteFile(stop_path_, "") && WaitForFile(status_path_, kScaleSimStopMs) &&
         ReadFile(status_path_) == "0\n";
}

}  // namespace testing_support
