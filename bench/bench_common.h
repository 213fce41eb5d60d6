// What the benchmarks share besides starting programs (bench_process.h):
// the count of runs, the pseudo-random sequence their generated input comes
// from, a folder for their files, and the peak memory of their own process.
#pragma once

#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// The scale each benchmark serves on loopback, an address and port of its
// own, so that no two of them meet (the tests take theirs from 127.10.0.0
// up). In DHCP mode the port is 2000 + the address's last number;
// by scale number, scale 001 is on port 2001.
struct BenchScale {
  const char* address;
  const char* port;
  std::string Listen() const { return std::string(address) + ":" + port; }
};
inline constexpr BenchScale kTransferScale{"127.0.9.1", "2001"};  // DHCP mode
inline constexpr BenchScale kLoadScale{"127.0.9.2", "2001"};      // S0001
inline constexpr BenchScale kFetchScale{"127.0.9.3", "2003"};     // DHCP mode
inline constexpr BenchScale kVerifyScale{"127.0.9.4", "2001"};    // S0001
// The whole shop's scale N (S000N) is on 127.0.10.N, port 2000 + N.
inline constexpr char kShopAddressPrefix[] = "127.0.10.";

// Each figure is the best, or the median, of this many runs.
constexpr int kRuns = 3;

// The median of the figures of one side of a ratio; 0 if there are none.
// Loopback speed drifts threefold within minutes, so the two sides of a
// ratio take turns run by run and each side's median is compared.
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Writes text into the file at path; false if it could not.
inline bool WriteAll(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

// A price list of articles 1 to articles, weighed and counted, with names of
// one and two lines.
inline std::string SimplePriceList(long articles) {
  std::string list;
  for (long i = 1; i <= articles; ++i) {
    list += std::to_string(i) + ";" + (i % 3 == 0 ? "Smoked salmon fillet, sliced thin" : "Apples") + ";" +
            std::to_string(i % 50) + "." + std::to_string(10 + i % 90) + (i % 2 == 0 ? ";1\n" : ";0\n");
  }
  return list;
}

// The next number of a reproducible pseudo-random sequence (a 64-bit linear
// congruential generator, its high bits).
inline unsigned Next(unsigned long long* state) {
  *state = *state * 6364136223846793005ULL + 1442695040888963407ULL;
  return static_cast<unsigned>(*state >> 33);
}

// A fresh folder /tmp/NAME-XXXXXX for the benchmark's files, removed with
// them at the end of its scope. Its path is empty, after a line on the error
// stream, if none could be made.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name) : path_("/tmp/" + name + "-XXXXXX") {
    if (mkdtemp(path_.data()) != nullptr) return;
    std::fputs("Could not make a temporary directory.\n", stderr);
    path_.clear();
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The peak resident memory of this process so far, in KiB.
inline long PeakKilobytes() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace bench
