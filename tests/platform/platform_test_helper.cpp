// The program the platform contract tests start. The first argument says
// what to do:
//   arguments FILE [ARG...]  writes each ARG, each ended by a zero byte, to FILE
//   exit N                   ends with exit status N
//   touch NAME               creates the empty file NAME in its current folder
//   variable NAME FILE       writes the value of the environment variable NAME
//                            (or "<none>") to FILE
//   kill-self                ends by the signal SIGKILL (POSIX)
//   print OUT ERR COUNT      writes OUT COUNT times on standard output, then
//                            ERR on standard error
//   sleep-pid FILE MS        writes its process id and a line feed to FILE,
//                            then sleeps MS milliseconds
//   start-child FILE         runs "sleep-pid FILE 30000" through
//                            platform::RunProgramToEnd
//   wait-lock LOCK FILE      takes the lock of the file LOCK, adding
//                            "waiting" to FILE if it has to wait and
//                            "locked" once it has it, each on a line
//   hold-lock LOCK FILE      takes the lock, adds "locked" to FILE, sleeps
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/environment.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/process.h"

#ifdef _WIN32
#include "platform/windows_headers_win32.h"
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace {

bool WriteText(const char* path, const std::string& text, const char* mode = "wb") {
  std::FILE* file = std::fopen(path, mode);
  if (file == nullptr) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && ok;
}

long long ProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return getpid();
#endif
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "arguments" && argc > 2) {
    std::string text;
    for (int i = 3; i < argc; ++i) text.append(argv[i], std::strlen(argv[i]) + 1);
    return WriteText(argv[2], text) ? 0 : 1;
  }
  if (command == "exit" && argc == 3) return std::atoi(argv[2]);
  if (command == "touch" && argc == 3) return WriteText(argv[2], "") ? 0 : 1;
  if (command == "variable" && argc == 4) {
    std::string value;
    if (!platform::FindEnvironmentVariable(argv[2], &value)) value = "<none>";
    return WriteText(argv[3], value) ? 0 : 1;
  }
#ifndef _WIN32
  if (command == "kill-self") raise(SIGKILL);
#endif
  if (command == "print" && argc == 5) {
    std::string text;
    for (int i = std::atoi(argv[4]); i > 0; --i) text += argv[2];
    std::fwrite(text.data(), 1, text.size(), stdout);  // at once: a null device may take a byte at a time
    std::fflush(stdout);
    std::fputs(argv[3], stderr);
    return 0;
  }
  if (command == "sleep-pid" && argc == 4) {
    if (!WriteText(argv[2], std::to_string(ProcessId()) + "\n")) return 1;
    SleepMs(std::atoi(argv[3]));
    return 0;
  }
  if (command == "start-child" && argc == 3) {
    const std::string self = platform::ProgramDirectory() + platform::ProgramFileName("platform_test_helper");
    platform::ProgramEnd end;
    return platform::RunProgramToEnd(self, {"sleep-pid", argv[2], "30000"}, ".", &end).ok() ? 0 : 1;
  }
  if ((command == "wait-lock" || command == "hold-lock") && argc == 4) {
    const char* report = argv[3];
    platform::FileLock lock;
    if (!lock.Acquire(argv[2], [report] { WriteText(report, "waiting\n", "ab"); }).ok()) return 1;
    if (!WriteText(report, "locked\n", "ab")) return 1;
    if (command == "hold-lock") SleepMs(30000);
    return 0;
  }
  std::fprintf(stderr, "platform_test_helper: unknown command\n");
  return 2;
}
