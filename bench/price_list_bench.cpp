// Times the load mode's conversion alone: a generated price list of
// 1,000,000 plausible lines becomes the PLU file, once as plain text in the
// PC's code page and once as spreadsheets write it (UTF-8 with a byte-order
// mark, names quoted with the separator and quotes inside, accented letters,
// Price Decimals 2). Prints lines/s and MB/s of each, and the peak memory of
// the process.
//
//   price_list_bench [lines]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_common.h"
#include "converter/plu_file.h"
#include "converter/price_list.h"
#include "converter/run_context.h"

namespace {

constexpr long kDefaultLines = 1000000;
constexpr double kTargetLinesPerSecond = 2000000.0;
constexpr double kTargetUtf8LinesPerSecond = 1000000.0;
constexpr long kTargetPeakKilobytes = 16 * 1024;

const char* const kWords[] = {"Apples", "Pears",  "Bananas", "Cheese", "Gouda",   "Salami",   "Bread",
                              "Rye",    "Smoked", "Fresh",   "Salmon", "Fillet",  "Chicken",  "Breast",
                              "Grapes", "White",  "Red",     "Olives", "Pitted",  "Tomatoes", "Dutch",
                              "Beef",   "Minced", "Organic", "Sliced", "Walnuts", "Almonds",  "Roasted"};
constexpr unsigned kWordCount = sizeof kWords / sizeof kWords[0];

// Names of the spreadsheet list: accented letters (all in code page 1252).
const char* const kUtf8Words[] = {"Gruy\xC3\xA8re", "K\xC3\xA4se",  "W\xC3\xBCrstchen", "P\xC3\xA2t\xC3\xA9",
                                  "Cr\xC3\xA8me",    "Jalape\xC3\xB1o", "\xC5\xA0unka",    "M\xC3\xBCsli",
                                  "Apples",          "Smoked",          "Salmon",           "Fresh"};
constexpr unsigned kUtf8WordCount = sizeof kUtf8Words / sizeof kUtf8Words[0];

// One to five words: names of one and of two lines. In spreadsheet form
// the name is quoted, holds the separator and sometimes a quoted word.
int PutName(char* out, std::size_t room, unsigned long long* state, bool spreadsheet) {
  int n = 0;
  if (spreadsheet) out[n++] = '"';
  unsigned words = 1 + bench::Next(state) % 5;
  for (unsigned w = 0; w < words; ++w) {
    const char* word =
        spreadsheet ? kUtf8Words[bench::Next(state) % kUtf8WordCount] : kWords[bench::Next(state) % kWordCount];
    const char* before = w == 0 ? "" : (spreadsheet && w == 1 ? "; " : " ");
    const bool quoted = spreadsheet && bench::Next(state) % 8 == 0;
    n += std::snprintf(out + n, room - n, quoted ? "%s\"\"%s\"\"" : "%s%s", before, word);
  }
  if (spreadsheet) out[n++] = '"';
  return n;
}

// Writes the price list; returns its size in bytes, or 0 on failure.
unsigned long long GeneratePriceList(const std::string& path, long lines, bool spreadsheet) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  unsigned long long state = 12345, bytes = 0;
  if (spreadsheet) bytes = std::fwrite("\xEF\xBB\xBF", 1, 3, file);
  char line[512];
  for (long i = 1; i <= lines; ++i) {
    int n = std::snprintf(line, sizeof line, "%ld;", i);
    n += PutName(line + n, sizeof line - n, &state, spreadsheet);
    unsigned cents = 5 + bench::Next(&state) % 99995;
    n += std::snprintf(line + n, sizeof line - n, spreadsheet ? ";%u,%02u" : ";%u.%02u", cents / 100, cents % 100);
    unsigned shape = bench::Next(&state) % 4;
    if (shape == 1) n += std::snprintf(line + n, sizeof line - n, ";1");
    if (shape == 2) n += std::snprintf(line + n, sizeof line - n, ";0;%u", bench::Next(&state) % 1000);
    if (shape == 3) n += std::snprintf(line + n, sizeof line - n, ";1;;%u", 2000000 + bench::Next(&state) % 1000000);
    if (spreadsheet) line[n++] = '\r';
    line[n++] = '\n';
    if (std::fwrite(line, 1, static_cast<std::size_t>(n), file) != static_cast<std::size_t>(n)) {
      std::fclose(file);
      return 0;
    }
    bytes += static_cast<unsigned long long>(n);
  }
  return std::fclose(file) == 0 ? bytes : 0;
}

// Counts the messages and keeps none of them.
class CountingSink final : public common::MessageSink {
 public:
  void Write(common::Stream, std::string_view text) override { bytes_ += text.size(); }
  std::size_t bytes() const { return bytes_; }

 private:
  std::size_t bytes_ = 0;
};

long FileSize(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fclose(file);
  return size;
}

// Converts the list kRuns times; the best time in seconds, or -1 if it failed.
double TimeConversion(const converter::RunContext& context, const char* label) {
  double best = -1;
  for (int run = 0; run < bench::kRuns; ++run) {
    converter::PriceListCounts counts;
    auto start = std::chrono::steady_clock::now();
    auto result = converter::WritePluFile(context, &counts);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.ok()) {
      std::fprintf(stderr, "The conversion failed: %s", result.message().c_str());
      return -1;
    }
    if (counts.rejected != 0 || counts.warnings != 0) {
      std::fprintf(stderr, "%s: %lld lines rejected, %lld warnings\n", label, counts.rejected, counts.warnings);
    }
    if (best < 0 || seconds < best) best = seconds;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  long lines = argc > 1 ? std::atol(argv[1]) : kDefaultLines;
  if (lines <= 0) {
    std::fputs("usage: price_list_bench [lines]\n", stderr);
    return 1;
  }
  const bench::TempFolder folder("price-list-bench");
  const std::string& dir = folder.path();
  if (dir.empty()) return 1;
  // The spreadsheet list's letters are all in the ANSI code page 1252.
  setenv("VELKOCON_CODEPAGES", "1252:850", 1);
  std::string list = dir + "/VelkoCon.txt";
  std::string plu = dir + "/qsbenchF25.dat";

  converter::RunContext context;
  context.env = &platform::SystemEnv();
  context.working_directory = dir;
  context.scale_identifier = "bench";
  context.separator = ';';
  context.settings.code_page = "Win";
  // Item codes of 7 digits and PLU numbers up to 1,000,000: type 8 keeps 10
  // digits, so that the lists give no warnings.
  context.settings.barcode_type = 8;
  for (int b = 0; b < 256; ++b) context.names.map[b] = static_cast<unsigned char>(b);
  CountingSink messages;
  context.messages = &messages;

  struct Case {
    const char* label;  // "" for the plain list
    bool spreadsheet;
    double target;
  } cases[] = {{"", false, kTargetLinesPerSecond}, {"utf-8 quoted ", true, kTargetUtf8LinesPerSecond}};
  bool ok = true;
  bool targets_met = true;
  for (const Case& c : cases) {
    unsigned long long bytes = GeneratePriceList(list, lines, c.spreadsheet);
    if (bytes == 0) {
      std::fputs("Could not write the price list.\n", stderr);
      ok = false;
      break;
    }
    context.settings.price_decimals = c.spreadsheet ? 2 : converter::kPriceDigitsAsTheyStand;
    double best = TimeConversion(context, c.spreadsheet ? "utf-8 quoted" : "plain");
    if (best < 0) {
      ok = false;
      break;
    }
    double lines_per_second = static_cast<double>(lines) / best;
    const double megabytes = static_cast<double>(bytes) / 1e6;
    std::printf("%sprice list: %ld lines, %.1f MB; PLU file %.1f MB\n", c.label, lines, megabytes,
                static_cast<double>(FileSize(plu)) / 1e6);
    std::printf("%sbest of %d: %.3f s, %.0f lines/s, %.1f MB/s (target %.0f lines/s %s)\n", c.label, bench::kRuns, best,
                lines_per_second, megabytes / best, c.target, lines_per_second >= c.target ? "met" : "MISSED");
    targets_met = targets_met && lines_per_second >= c.target;
  }
  long peak = bench::PeakKilobytes();
  if (!ok) return 1;
  std::printf("peak memory: %.1f MB\n", static_cast<double>(peak) / 1024.0);
  std::printf("targets: %s lines/s, %s memory\n", targets_met ? "met" : "MISSED",
              peak < kTargetPeakKilobytes ? "met" : "MISSED");
  return 0;
}
