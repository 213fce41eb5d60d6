// POSIX side of child_process.h: fork and execve, pipes read through poll,
// and wait4 for the end and the peak memory.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "support/child_process.h"

extern char** environ;

namespace testing_support {
namespace {

constexpr std::size_t kReadBytes = 65536;

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (std::string& s : strings) result.push_back(s.data());
  result.push_back(nullptr);
  return result;
}

// In the child: puts the null device or the pipe's write end on descriptor
// target, as use says.
void SetStream(int target, StreamUse use, const int pipe_ends[2]) {
  if (use == StreamUse::kInherit) return;
  if (use == StreamUse::kCapture && target != 0) {
    dup2(pipe_ends[1], target);
    return;
  }
  int null_device = open("/dev/null", target == 0 ? O_RDONLY : O_WRONLY);
  dup2(null_device, target);
  if (null_device != target) close(null_device);
}

}  // namespace

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                         const ChildSetup& setup) {
  if (started_ && !Wait(0)) return false;
  Forget();
  std::vector<std::string> base;
  for (char** e = environ; *e != nullptr; ++e) base.push_back(*e);
  std::vector<std::string> env = MergeEnvironment(base, setup.environment, false);
  std::vector<std::string> args = {program};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv = CStrings(args);
  std::vector<char*> envp = CStrings(env);

  int out_pipe[2] = {-1, -1}, err_pipe[2] = {-1, -1};
  if ((setup.output == StreamUse::kCapture && pipe2(out_pipe, O_CLOEXEC) != 0) ||
      (setup.error == StreamUse::kCapture && pipe2(err_pipe, O_CLOEXEC) != 0)) {
    for (int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
      if (fd >= 0) close(fd);
    }
    return false;
  }
  pid_t pid = fork();
  if (pid == 0) {
    if (setup.own_group) setpgid(0, 0);
    SetStream(0, setup.input, nullptr);
    SetStream(1, setup.output, out_pipe);
    SetStream(2, setup.error, err_pipe);
    if (!setup.directory.empty() && chdir(setup.directory.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  // Both sides set the group, so that it is in place whichever runs first.
  if (pid > 0 && setup.own_group) setpgid(pid, pid);
  if (out_pipe[1] >= 0) close(out_pipe[1]);
  if (err_pipe[1] >= 0) close(err_pipe[1]);
  streams_[0] = out_pipe[0];
  streams_[1] = err_pipe[0];
  if (pid < 0) {
    CloseStreams();
    return false;
  }
  started_ = true;
  own_group_ = setup.own_group;
  id_ = pid;
  return true;
}

bool ChildProcess::ReadStreams(int limit_ms) {
  struct pollfd fds[2];
  std::string* sinks[2];
  int count = 0;
  for (int i = 0; i < 2; ++i) {
    if (streams_[i] == -1) continue;
    fds[count] = {static_cast<int>(streams_[i]), POLLIN, 0};
    sinks[count++] = i == 0 ? &output_ : &error_output_;
  }
  int ready = poll(fds, static_cast<nfds_t>(count), limit_ms);
  if (ready < 0 && errno == EINTR) return true;
  if (ready < 0) {  // cannot wait for them: give them up
    CloseStreams();
    return true;
  }
  for (int i = 0; i < count; ++i) {
    if (fds[i].revents == 0) continue;
    char buffer[kReadBytes];
    ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
    if (n > 0) {
      sinks[i]->append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    close(fds[i].fd);
    for (std::intptr_t& stream : streams_) {
      if (stream == fds[i].fd) stream = -1;
    }
  }
  return ready > 0;
}

void ChildProcess::CloseStreams() {
  for (std::intptr_t& stream : streams_) {
    if (stream != -1) close(static_cast<int>(stream));
    stream = -1;
  }
}

bool ChildProcess::Reap(bool block) {
  if (ended_) return true;
  int status = 0;
  struct rusage usage {};
  pid_t got;
  while ((got = wait4(static_cast<pid_t>(id_), &status, block ? 0 : WNOHANG, &usage)) < 0 && errno == EINTR) {
  }
  if (got == 0) return false;
  ended_ = true;  // (or it cannot be waited for: taken as ended, status -1)
  if (got != id_) return true;
  exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  peak_memory_kb_ = usage.ru_maxrss;
  return true;
}

void ChildProcess::Signal(int number) {
  if (!started_ || ended_) return;
  if (own_group_) kill(static_cast<pid_t>(-id_), number);
  kill(static_cast<pid_t>(id_), number);
}

void ChildProcess::Kill() {
  Signal(SIGKILL);
  CloseStreams();
}

void ChildProcess::Terminate() { Signal(SIGTERM); }

}  // namespace testing_support
