// What the benchmarks share besides starting programs (bench_process.h):
// the count of runs, the pseudo-random sequence their generated input comes
// from, a folder for their files, and the peak memory of their own process.
#pragma once

#include <stdlib.h>
#include <sys/resource.h>

#include <cstdio>
#include <string>

namespace bench {

// Each figure is the best of this many runs.
constexpr int kRuns = 3;

// The next number of a reproducible pseudo-random sequence (a 64-bit linear
// congruential generator, its high bits).
inline unsigned Next(unsigned long long* state) {
  *state = *state * 6364136223846793005ULL + 1442695040888963407ULL;
  return static_cast<unsigned>(*state >> 33);
}

// A fresh folder /tmp/NAME-XXXXXX for the benchmark's files; empty, after a
// line on the error stream, if none could be made.
inline std::string MakeTempDir(const std::string& name) {
  std::string pattern = "/tmp/" + name + "-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) return pattern;
  std::fputs("Could not make a temporary directory.\n", stderr);
  return std::string();
}

// The peak resident memory of this process so far, in KiB.
inline long PeakKilobytes() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace bench
