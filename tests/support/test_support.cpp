#include "support/test_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

extern char** environ;

namespace testing_support {
namespace {

long long NowMs() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> result;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const std::string& x : extra) replaced = replaced || x.substr(0, x.find('=')) == name;
    if (!replaced) result.push_back(entry);
  }
  for (const std::string& x : extra) result.push_back(x);
  return result;
}

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (std::string& s : strings) result.push_back(s.data());
  result.push_back(nullptr);
  return result;
}

// The Windows programs under test: with SCALELINK_PROGRAM_DIR set, the shop
// programs (not the emulator) come from there, named with
// SCALELINK_EXE_SUFFIX (".exe"), and RunProgram starts every Windows program
// through SCALELINK_RUNNER (wine).
std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool IsWindowsProgram(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char head[2] = {0, 0};
  bool windows = std::fread(head, 1, 2, f) == 2 && head[0] == 'M' && head[1] == 'Z';
  std::fclose(f);
  return windows;
}

void DropCarriageReturns(std::string* text) {
  std::string kept;
  for (std::size_t i = 0; i < text->size(); ++i) {
    if ((*text)[i] == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n') continue;
    kept += (*text)[i];
  }
  *text = kept;
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

TempDir::TempDir() {
  char pattern[] = "/tmp/scalelink-test-XXXXXX";
  char* made = mkdtemp(pattern);
  path_ = made != nullptr ? made : "/tmp";
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (path_ != "/tmp") std::filesystem::remove_all(path_, ignored);
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& directory, const std::vector<std::string>& extra_env,
                         int timeout_ms) {
  ProgramResult result;
  int out_pipe[2], err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) return result;
  std::vector<std::string> args = {program};
  std::string runner = FromEnvironment("SCALELINK_RUNNER");
  bool windows = !runner.empty() && IsWindowsProgram(program);
  if (windows) args = {runner, program};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<std::string> env = MergedEnvironment(extra_env);
  std::vector<char*> argv = CStrings(args);
  std::vector<char*> envp = CStrings(env);

  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);  // its own group, so that a time-out kills what it started too
    int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    if (chdir(directory.c_str()) != 0) _exit(126);
    execve(args[0].c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  long long deadline = NowMs() + timeout_ms;
  struct pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_count = 2;
  while (open_count > 0) {
    long long left = deadline - NowMs();
    if (left <= 0) {
      result.timed_out = true;
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      break;
    }
    int ready = poll(fds, 2, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  for (auto& fd : fds)
    if (fd.fd >= 0) close(fd.fd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!result.timed_out && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (windows) {  // a Windows program's text-mode streams end lines with CR LF
    DropCarriageReturns(&result.out);
    DropCarriageReturns(&result.err);
  }
  return result;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string ReadFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return "<missing>";
  std::string bytes;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string LoopbackAddressForTest() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "none";
  // FNV-1a over the test's name and the process id: tests of one run differ
  // by name, and two builds running the same test at once differ by process.
  name += "/" + std::to_string(getpid());
  unsigned long long h = 1469598103934665603ULL;
  for (unsigned char c : name) h = (h ^ c) * 1099511628211ULL;
  char address[32];
  std::snprintf(address, sizeof address, "127.%llu.%llu.%llu", 10 + h % 240, 1 + (h >> 16) % 250,
                1 + (h >> 32) % 250);
  return address;
}

std::vector<std::string> HostsEnvironment(const std::string& hosts_file,
                                          const std::vector<std::pair<std::string, std::string>>& names) {
  std::string text;
  for (const auto& entry : names) text += entry.second + " " + entry.first + "\n";
  WriteFile(hosts_file, text);
  return {"LD_PRELOAD=libnss_wrapper.so", "NSS_WRAPPER_HOSTS=" + hosts_file};
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &saved_), 0);
  struct rlimit limited = saved_;
  limited.rlim_cur = std::min(bytes, saved_.rlim_max);
  saved_handler_ = signal(SIGXFSZ, SIG_IGN);
  EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
}

FileSizeLimit::~FileSizeLimit() {
  setrlimit(RLIMIT_FSIZE, &saved_);
  signal(SIGXFSZ, saved_handler_);
}

ScaleSim::~ScaleSim() { Stop(); }

bool ScaleSim::Start(const std::string& store, const std::vector<std::string>& listen,
                     const std::vector<std::string>& extra_arguments) {
  log_path_ = store + ".log";
  ready_path_ = store + ".ready";
  unlink(ready_path_.c_str());
  std::vector<std::string> args = {BinPath("scalesim"), "serve", "--store", store};
  for (const std::string& l : listen) {
    args.push_back("--listen");
    args.push_back(l);
  }
  args.push_back("--ready");
  args.push_back(ready_path_);
  args.push_back("--log");
  args.push_back(log_path_);
  args.insert(args.end(), extra_arguments.begin(), extra_arguments.end());
  std::vector<char*> argv = CStrings(args);
  pid_ = fork();
  if (pid_ == 0) {
    int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  long long deadline = NowMs() + 5000;
  while (NowMs() < deadline) {
    if (Exists(ready_path_)) return true;
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

bool ScaleSim::Stop() {
  if (pid_ <= 0) return false;
  kill(pid_, SIGTERM);
  int status = 0;
  long long deadline = NowMs() + 5000;
  bool ended = false;
  while (NowMs() < deadline) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      ended = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!ended) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ScaleSim::Log() const { return ReadFile(log_path_); }

}  // namespace testing_support
