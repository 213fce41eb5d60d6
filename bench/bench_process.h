// Starting a program of the system for a benchmark and timing it, shared by
// the benchmarks that run whole programs.
#pragma once

#include <fcntl.h>
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
