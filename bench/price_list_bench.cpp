// Times the load mode's conversion alone: a generated price list of
// 1,000,000 plausible lines becomes the PLU file, once as plain text in the
// PC's code page and once as spreadsheets write it (UTF-8 with a byte-order
// mark, names quoted with the separator and quotes inside, accented letters,
// Price Decimals 2). Prints lines/s and MB/s of each, and the peak memory of
// the process. Then a list whose every line has an item code of 7 digits is
// converted twice: with a barcode type that keeps them (clean) and with one
// that keeps 5 (every line draws a warning); the warned conversion must keep
// at least half the clean one's rate.
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
#include "platform/env.h"

namespace {

constexpr long kDefaultLines = 1000000;
constexpr double kTargetLinesPerSecond = 2000000.0;
constexpr double kTargetUtf8LinesPerSecond = 1000000.0;
constexpr long kTargetPeakKilobytes = 16 * 1024;
constexpr double kTargetWarnedRatio = 0.5;
// Barcode type 8 keeps 10 digits of an item code, type 5 keeps 5.
constexpr int kKeepsTenDigits = 8;
constexpr int kKeepsFiveDigits = 5;

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

enum class ListKind { kPlain, kSpreadsheet, kItemCodes };

// Writes the price list; returns its size in bytes, or 0 on failure.
unsigned long long GeneratePriceList(const std::string& path, long lines, ListKind kind) {
  const bool spreadsheet = kind == ListKind::kSpreadsheet;
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
    unsigned shape = kind == ListKind::kItemCodes ? 3 : bench::Next(&state) % 4;
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

// Writes the messages as the console does with its error stream redirected
// to a file: unbuffered, one write a message.
class UnbufferedFileSink final : public common::MessageSink {
 public:
  explicit UnbufferedFileSink(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
    if (file_ != nullptr) std::setvbuf(file_, nullptr, _IONBF, 0);
  }
  ~UnbufferedFileSink() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  bool ok() const { return file_ != nullptr; }
  void Write(common::Stream, std::string_view text) override { std::fwrite(text.data(), 1, text.size(), file_); }

 private:
  std::FILE* file_;
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
// Every line draws a warning when warned is set, none otherwise.
double TimeConversion(const converter::RunContext& context, const char* label, long lines, bool warned) {
  double best = -1;
  for (int run = 0; run < bench::kRuns; ++run) {
    converter::PriceListCounts counts;
    auto start = std::chrono::steady_clock::now();
    auto result = converter::WritePluFile(
        context, converter::ScaleFilePath(context, context.scales.front(), common::DataFile::kF25), &counts);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.ok()) {
      std::fprintf(stderr, "The conversion failed: %s", result.message().c_str());
      return -1;
    }
    if (counts.rejected != 0 || counts.warnings != (warned ? lines : 0)) {
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
  context.scales = {"bench"};
  context.separator = ';';
  context.settings.code_page = "Win";
  // Item codes of 7 digits and PLU numbers up to 1,000,000: type 8 keeps 10
  // digits, so that the lists give no warnings; type 5 warns of each item code.
  for (int b = 0; b < 256; ++b) context.names.map[b] = static_cast<unsigned char>(b);
  const std::string messages_path = dir + "/messages.txt";
  UnbufferedFileSink messages(messages_path);
  if (!messages.ok()) {
    std::fputs("Could not create the messages file.\n", stderr);
    return 1;
  }
  context.messages = &messages;

  struct Case {
    const char* label;  // "" for the plain list
    ListKind kind;
    int barcode_type;
    bool warned;    // every line draws a warning
    double target;  // lines/s; 0: none of its own
  } cases[] = {
      {"", ListKind::kPlain, kKeepsTenDigits, false, kTargetLinesPerSecond},
      {"utf-8 quoted ", ListKind::kSpreadsheet, kKeepsTenDigits, false, kTargetUtf8LinesPerSecond},
      {"item codes clean ", ListKind::kItemCodes, kKeepsTenDigits, false, 0},
      {"item codes warned ", ListKind::kItemCodes, kKeepsFiveDigits, true, 0},
  };
  bool ok = true;
  bool targets_met = true;
  double clean_rate = 0, warned_rate = 0;
  for (const Case& c : cases) {
    unsigned long long bytes = GeneratePriceList(list, lines, c.kind);
    if (bytes == 0) {
      std::fputs("Could not write the price list.\n", stderr);
      ok = false;
      break;
    }
    const bool spreadsheet = c.kind == ListKind::kSpreadsheet;
    context.settings.price_decimals = spreadsheet ? 2 : converter::kPriceDigitsAsTheyStand;
    context.settings.barcode_type = c.barcode_type;
    double best = TimeConversion(context, c.label, lines, c.warned);
    if (best < 0) {
      ok = false;
      break;
    }
    double lines_per_second = static_cast<double>(lines) / best;
    const double megabytes = static_cast<double>(bytes) / 1e6;
    std::printf("%sprice list: %ld lines, %.1f MB; PLU file %.1f MB\n", c.label, lines, megabytes,
                static_cast<double>(FileSize(plu)) / 1e6);
    std::printf("%sbest of %d: %.3f s, %.0f lines/s, %.1f MB/s", c.label, bench::kRuns, best, lines_per_second,
                megabytes / best);
    if (c.target > 0) {
      std::printf(" (target %.0f lines/s %s)", c.target, lines_per_second >= c.target ? "met" : "MISSED");
      targets_met = targets_met && lines_per_second >= c.target;
    }
    std::printf("\n");
    if (c.kind == ListKind::kItemCodes) (c.warned ? warned_rate : clean_rate) = lines_per_second;
  }
  if (ok) {
    const double ratio = warned_rate / clean_rate;
    std::printf("warned/clean rate: %.2f (%.0f against %.0f lines/s; target >= %.2f %s)\n", ratio, warned_rate,
                clean_rate, kTargetWarnedRatio, ratio >= kTargetWarnedRatio ? "met" : "MISSED");
    targets_met = targets_met && ratio >= kTargetWarnedRatio;
  }
  long peak = bench::PeakKilobytes();
  if (!ok) return 1;
  std::printf("peak memory: %.1f MB\n", static_cast<double>(peak) / 1024.0);
  std::printf("targets: %s lines/s, %s memory\n", targets_met ? "met" : "MISSED",
              peak < kTargetPeakKilobytes ? "met" : "MISSED");
  return 0;
}
