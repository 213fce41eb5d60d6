// Starting a program of the system for a benchmark and timing it, shared by
// the benchmarks that run whole programs.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// The folder of the running benchmark, where the programs were built too.
inline std::string BinDir() {
  std::error_code error;
  std::string dir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
  return dir.empty() ? std::string(".") : dir;
}

// Starts args[0] in dir with the extra environment entries, standard output
// to /dev/null.
inline pid_t Start(const std::vector<std::string>& args, const std::string& dir, const std::vector<std::string>& env) {
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

struct Timed {
  double seconds = 0;
  long max_rss_kb = 0;
  bool ok = false;
};

// Runs the program to its end: wall time, peak memory, exit status 0.
inline Timed RunTimed(const std::vector<std::string>& args, const std::string& dir, const std::vector<std::string>& env) {
  Timed timed;
  auto start = std::chrono::steady_clock::now();
  pid_t pid = Start(args, dir, env);
  int status = 0;
  struct rusage usage {};
  if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
    timed.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    timed.max_rss_kb = usage.ru_maxrss;
  }
  timed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return timed;
}

// The scale emulator serving the store on listen ("ADDRESS:PORT") with the
// fault options (such as "--delay-ms", "1"), started in dir and ready; -1
// (after a line on the error stream) if it did not get ready.
inline pid_t StartScale(const std::string& dir, const std::string& store, const std::string& listen,
                        const std::vector<std::string>& faults = {}) {
  const std::string ready = dir + "/ready";
  std::remove(ready.c_str());
  std::vector<std::string> args = {BinDir() + "/scalesim", "serve", "--store", store, "--listen", listen, "--ready", ready};
  args.insert(args.end(), faults.begin(), faults.end());
  pid_t sim = Start(args, dir, {});
  for (int i = 0; i < 1000 && access(ready.c_str(), F_OK) != 0; ++i) usleep(10000);
  if (access(ready.c_str(), F_OK) == 0) return sim;
  std::fprintf(stderr, "the scale emulator did not start\n");
  kill(sim, SIGKILL);
  waitpid(sim, nullptr, 0);
  return -1;
}

// Stops the emulator; its store is written.
inline void StopScale(pid_t sim) {
  if (sim <= 0) return;
  kill(sim, SIGTERM);
  waitpid(sim, nullptr, 0);
}

// The file's bytes, empty if it cannot be read.
inline std::string ReadAll(const std::string& path) {
  std::string text;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[256];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

}  // namespace bench
