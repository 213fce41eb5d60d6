// POSIX implementation of platform/process.h: fork, then in the child the
// parent-death signal, the directory and exec. posix_spawn cannot set the
// signal, which has to be asked for between fork and exec.
#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system_error.h"

extern char** environ;

namespace platform {
namespace {

// Exit status of a child that never reached exec; the parent learns why
// through the pipe instead.
constexpr int kChildFailed = 127;

// In the child, between fork and exec: only calls that are safe there. A
// failure's errno goes to the parent through the pipe, which closes by itself
// on a successful exec.
[[noreturn]] void BecomeProgram(pid_t parent, int report_fd, const char* directory, char* const* argv) {
  int error = 0;
  if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) {
    error = errno;
  } else if (getppid() != parent) {
    _exit(kChildFailed);  // the parent died before the signal was set
  } else if (chdir(directory) != 0) {
    error = errno;
  } else {
    execve(argv[0], argv, environ);
    error = errno;
  }
  ssize_t ignored = write(report_fd, &error, sizeof error);
  (void)ignored;
  _exit(kChildFailed);
}

void WaitForEnd(pid_t pid, int* status) {
  while (waitpid(pid, status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

SystemStatus RunProgramToEnd(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& directory, ProgramEnd* end) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return SystemError(errno);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    int error = errno;
    close(report[0]);
    close(report[1]);
    return SystemError(error);
  }
  if (pid == 0) {
    close(report[0]);
    BecomeProgram(parent, report[1], directory.c_str(), argv.data());
  }
  close(report[1]);
  int child_error = 0;
  ssize_t n;
  while ((n = read(report[0], &child_error, sizeof child_error)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  int status = 0;
  WaitForEnd(pid, &status);
  if (n == static_cast<ssize_t>(sizeof child_error)) {
    return SystemError(child_error);
  }
  *end = ProgramEnd();
  if (WIFSIGNALED(status)) {
    end->by_signal = true;
    end->signal = WTERMSIG(status);
  } else {
    end->exit_status = static_cast<std::uint32_t>(WEXITSTATUS(status));
  }
  return SystemStatus::Ok();
}

std::string ProgramFileName(const std::string& base_name) { return base_name; }

}  // namespace platform
