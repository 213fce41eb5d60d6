// Win32 implementation of platform/process.h: CreateProcessA with the
// program named directly, so no command interpreter sees the command line.
#include "platform/process.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/windows_command_line.h"

namespace platform {

bool RunProgramAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& directory) {
  // One string, quoted so that the started program's start-up code splits it
  // back into the program and the arguments.
  std::string command_line = WindowsCommandLine(program, arguments);

  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  // The standard handles are inherited, so that the transfer program's
  // messages appear between the converter's own, wherever they go.
  if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(),
                      &startup, &process)) {
    return false;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::string ProgramFileName(const std::string& base_name) { return base_name + ".exe"; }

}  // namespace platform
