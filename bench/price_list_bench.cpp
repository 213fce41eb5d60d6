// Times the load mode's conversion alone: a generated price list of
// 1,000,000 plausible lines becomes the PLU file. Prints lines/s, MB/s and
// the peak memory of the process.
//
//   price_list_bench [lines]
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "converter/plu_file.h"
#include "converter/run_context.h"

namespace {

constexpr long kDefaultLines = 1000000;
constexpr int kRuns = 3;
constexpr double kTargetLinesPerSecond = 2000000.0;
constexpr long kTargetPeakKilobytes = 16 * 1024;

const char* const kWords[] = {"Apples", "Pears",  "Bananas", "Cheese", "Gouda",   "Salami",   "Bread",
                              "Rye",    "Smoked", "Fresh",   "Salmon", "Fillet",  "Chicken",  "Breast",
                              "Grapes", "White",  "Red",     "Olives", "Pitted",  "Tomatoes", "Dutch",
                              "Beef",   "Minced", "Organic", "Sliced", "Walnuts", "Almonds",  "Roasted"};
constexpr unsigned kWordCount = sizeof kWords / sizeof kWords[0];

unsigned Next(unsigned long long* state) {
  *state = *state * 6364136223846793005ULL + 1442695040888963407ULL;
  return static_cast<unsigned>(*state >> 33);
}

// Writes the price list; returns its size in bytes, or 0 on failure.
unsigned long long GeneratePriceList(const std::string& path, long lines) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  unsigned long long state = 12345, bytes = 0;
  char line[256];
  for (long i = 1; i <= lines; ++i) {
    int n = std::snprintf(line, sizeof line, "%ld;", i);
    // One to five words: names of one and of two lines.
    unsigned words = 1 + Next(&state) % 5;
    for (unsigned w = 0; w < words; ++w) {
      n += std::snprintf(line + n, sizeof line - n, "%s%s", w > 0 ? " " : "", kWords[Next(&state) % kWordCount]);
    }
    unsigned cents = 5 + Next(&state) % 99995;
    n += std::snprintf(line + n, sizeof line - n, ";%u.%02u", cents / 100, cents % 100);
    unsigned shape = Next(&state) % 4;
    if (shape == 1) n += std::snprintf(line + n, sizeof line - n, ";1");
    if (shape == 2) n += std::snprintf(line + n, sizeof line - n, ";0;%u", Next(&state) % 1000);
    if (shape == 3) n += std::snprintf(line + n, sizeof line - n, ";1;;%u", 2000000 + Next(&state) % 1000000);
    line[n++] = '\n';
    if (std::fwrite(line, 1, static_cast<std::size_t>(n), file) != static_cast<std::size_t>(n)) {
      std::fclose(file);
      return 0;
    }
    bytes += static_cast<unsigned long long>(n);
  }
  return std::fclose(file) == 0 ? bytes : 0;
}

long PeakKilobytes() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  long lines = argc > 1 ? std::atol(argv[1]) : kDefaultLines;
  if (lines <= 0) {
    std::fputs("usage: price_list_bench [lines]\n", stderr);
    return 1;
  }
  char pattern[] = "/tmp/price-list-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::fputs("Could not make a temporary directory.\n", stderr);
    return 1;
  }
  std::string dir = pattern;
  std::string list = dir + "/VelkoCon.txt";
  std::string plu = dir + "/qsbenchF25.dat";
  unsigned long long bytes = GeneratePriceList(list, lines);
  if (bytes == 0) {
    std::fputs("Could not write the price list.\n", stderr);
    return 1;
  }

  converter::RunContext context;
  context.working_directory = dir;
  context.scale_identifier = "bench";
  context.separator = ';';
  context.settings.code_page = "Win";
  for (int b = 0; b < 256; ++b) context.names.map[b] = static_cast<unsigned char>(b);

  common::StringSink messages;
  context.messages = &messages;
  double best = 0;
  common::Status result;
  for (int run = 0; run < kRuns && result.ok(); ++run) {
    converter::PriceListCounts counts;
    auto start = std::chrono::steady_clock::now();
    result = converter::WritePluFile(context, &counts);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (counts.rejected != 0) std::fprintf(stderr, "%ld lines rejected\n", counts.rejected);
    if (run == 0 || seconds < best) best = seconds;
  }
  long peak = PeakKilobytes();
  std::FILE* out = std::fopen(plu.c_str(), "rb");
  long plu_bytes = 0;
  if (out != nullptr) {
    std::fseek(out, 0, SEEK_END);
    plu_bytes = std::ftell(out);
    std::fclose(out);
  }
  std::remove(list.c_str());
  std::remove(plu.c_str());
  rmdir(dir.c_str());
  if (!result.ok()) {
    std::fprintf(stderr, "The conversion failed: %s", result.message().c_str());
    return 1;
  }

  double lines_per_second = static_cast<double>(lines) / best;
  std::printf("price list: %ld lines, %.1f MB; PLU file %.1f MB\n", lines, bytes / 1e6, plu_bytes / 1e6);
  std::printf("best of %d: %.3f s, %.0f lines/s, %.1f MB/s\n", kRuns, best, lines_per_second, bytes / 1e6 / best);
  std::printf("peak memory: %.1f MB\n", peak / 1024.0);
  std::printf("targets: %s lines/s, %s memory\n", lines_per_second >= kTargetLinesPerSecond ? "met" : "MISSED",
              peak < kTargetPeakKilobytes ? "met" : "MISSED");
  return 0;
}
