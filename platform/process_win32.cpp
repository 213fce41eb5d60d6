// Win32 implementation of platform/process.h: CreateProcessA with the
// program named directly, so no command interpreter sees the command line,
// and a job object that ends the program should the caller die.
#include "platform/process.h"

#include "platform/windows_headers_win32.h"

#include "platform/system_error.h"
#include "platform/windows_command_line.h"

namespace platform {
namespace {

// A job whose processes the system kills when its last handle closes: the
// caller holds the only one, so they die with the caller at the latest.
// Null if the system offers none.
HANDLE CreateKillOnCloseJob() {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  if (job == nullptr) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
  ZeroMemory(&limits, sizeof limits);
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    return nullptr;
  }
  return job;
}

}  // namespace

SystemStatus RunProgramToEnd(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& directory, ProgramEnd* end) {
  // One string, quoted so that the started program's start-up code splits it
  // back into the program and the arguments.
  std::string command_line = WindowsCommandLine(program, arguments);

  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  // The standard handles are inherited, so that the transfer program's
  // messages appear between the converter's own, wherever they go. The
  // program starts suspended and runs once it is in the job.
  if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                      directory.c_str(), &startup, &process)) {
    return SystemError(static_cast<int>(GetLastError()));
  }
  // A system that refuses the job (an older one, whose caller already runs in
  // a job of its own) still runs the program, without that safeguard.
  HANDLE job = CreateKillOnCloseJob();
  if (job != nullptr && !AssignProcessToJobObject(job, process.hProcess)) {
    CloseHandle(job);
    job = nullptr;
  }
  ResumeThread(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (job != nullptr) CloseHandle(job);
  *end = ProgramEnd();
  end->exit_status = exit_code;
  return SystemStatus::Ok();
}

std::string ProgramFileName(const std::string& base_name) { return base_name + ".exe"; }

}  // namespace platform
