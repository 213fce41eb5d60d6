// Starting the programs of the system for a benchmark and timing them,
// shared by the benchmarks that run whole programs. They are started through
// the test kit's program starter (tests/support/child_process.h).
#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_common.h"
#include "support/child_process.h"

namespace bench {

using testing_support::ChildProcess;

// How long the scale emulator may take to get ready.
constexpr int kScaleReadyMs = 10000;

// The folder of the running benchmark, where the programs were built too.
inline std::string BinDir() {
  std::error_code error;
  std::string dir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
  return dir.empty() ? std::string(".") : dir;
}

// Starts args[0] with the rest of args in dir with the extra environment
// entries, standard output to the null device.
inline bool Start(ChildProcess* program, const std::vector<std::string>& args, const std::string& dir,
                  const std::vector<std::string>& env) {
  testing_support::ChildSetup setup;
  setup.directory = dir;
  setup.environment = env;
  setup.output = testing_support::StreamUse::kDiscard;
  return !args.empty() && program->Start(args[0], std::vector<std::string>(args.begin() + 1, args.end()), setup);
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
  ChildProcess program;
  if (Start(&program, args, dir, env) && program.Wait()) {
    timed.ok = program.exit_status() == 0;
    timed.max_rss_kb = program.peak_memory_kb();
  }
  timed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return timed;
}

// A shop folder dir/shop with both shop programs of this build and the
// named files of examples (the project's examples/ folder); its path.
inline std::string MakeShopFolder(const std::string& dir, const std::string& examples,
                                  const std::vector<std::string>& files) {
  const std::string shop = dir + "/shop";
  std::error_code error;
  std::filesystem::create_directory(shop, error);
  for (const char* program : {"VelkoCon", "xferlnk"}) {
    std::filesystem::copy_file(BinDir() + "/" + program, shop + "/" + program, error);
  }
  for (const std::string& file : files) std::filesystem::copy_file(examples + "/" + file, shop + "/" + file, error);
  return shop;
}

// Starts the scale emulator in dir, serving the store on the listen
// addresses ("ADDRESS:PORT") with the extra arguments, and waits until it is
// ready; false (after a line on the error stream) if it did not get ready.
inline bool StartScale(ChildProcess* sim, const std::string& dir, const std::string& store,
                       const std::vector<std::string>& listen, const std::vector<std::string>& extra = {}) {
  const std::string ready = dir + "/ready";
  std::remove(ready.c_str());
  std::vector<std::string> args = {BinDir() + "/scalesim", "serve", "--store", store, "--ready", ready};
  for (const std::string& address : listen) args.insert(args.end(), {"--listen", address});
  args.insert(args.end(), extra.begin(), extra.end());
  if (Start(sim, args, dir, {}) && sim->WaitForReadyFile(ready, kScaleReadyMs)) return true;
  std::fprintf(stderr, "the scale emulator did not start\n");
  sim->Kill();
  sim->Wait();
  return false;
}

// Stops the emulator, its store written; true if it ended with status 0.
inline bool StopScale(ChildProcess* sim) {
  sim->Terminate();
  return sim->Wait() && sim->exit_status() == 0;
}

// The lines bench/run reads: a label in 24 columns, then the figures. The
// time of count items, and what one took.
inline void PrintPerItem(const char* label, double seconds, long count, const char* item) {
  std::printf("%-24s%.3f s  (%.1f us per %s)\n", label, seconds, seconds * 1e6 / static_cast<double>(count), item);
}
// A ratio to the peer against its target.
inline void PrintRatio(double ratio, double target) {
  std::printf("%-24s%.3f  (target <= %.2f: %s)\n", "ratio", ratio, target, ratio <= target ? "met" : "NOT met");
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
