// Times the report conversion alone: a generated incoming file of 1,000,000
// Transact records and one of 200,000 PLUTotal records, each converted into
// its report file. Prints records/s, MB/s of incoming text and the memory
// of the process: its peak (the mapped incoming file included) and what it
// holds apart from mappings, which must not grow with the file.
//
//   report_bench [transact records] [plu records]

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_common.h"
#include "converter/report_conversion.h"

namespace {

constexpr long kDefaultTransactRecords = 1000000;
constexpr long kDefaultPluRecords = 200000;
constexpr double kTargetMegabytesPerSecond = 200.0;
// Memory apart from the mapped file: fixed buffers only, whatever the size.
constexpr long kTargetUnbackedKilobytes = 8 * 1024;

// Appends value as width decimal digits (the scale's packed decimal as hex text).
int PutDigits(char* out, unsigned long long value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return width;
}

// One transaction: key, length 0x1D, PLU, price, weight, quantity, amount,
// date and time, 58 characters.
int TransactRecord(long index, unsigned long long* state, char* out) {
  int n = PutDigits(out, static_cast<unsigned long long>(index), 8);
  std::memcpy(out + n, "001D", 4);
  n += 4;
  n += PutDigits(out + n, 1 + bench::Next(state) % 9999, 8);
  n += PutDigits(out + n, bench::Next(state) % 100000, 8);
  n += PutDigits(out + n, bench::Next(state) % 5000, 8);
  n += PutDigits(out + n, 1 + bench::Next(state) % 9, 4);
  n += PutDigits(out + n, bench::Next(state) % 1000000, 8);
  n += PutDigits(out + n, 10000 + bench::Next(state) % 90000, 6);
  n += PutDigits(out + n, bench::Next(state) % 2400, 4);
  return n;
}

// One PLU total: key, length 0x6D, code, department, five groups of totals
// and a text, 218 characters.
int PluTotalRecord(long index, unsigned long long* state, char* out) {
  int n = PutDigits(out, static_cast<unsigned long long>(index), 8);
  std::memcpy(out + n, "006D", 4);
  n += 4;
  n += PutDigits(out + n, 2000000000000ULL + static_cast<unsigned long long>(index), 14);
  std::memcpy(out + n, "00", 2);
  n += 2;
  n += PutDigits(out + n, bench::Next(state) % 100, 4);
  static const int kWidths[] = {8, 8, 4, 8, 8};
  for (int g = 0; g < 5; ++g)
    for (int width : kWidths) n += PutDigits(out + n, bench::Next(state) % (width == 4 ? 10000 : 1000000), width);
  n += PutDigits(out + n, bench::Next(state) % 1000000, 6);
  return n;
}

// Writes count records and the end reply; returns the file's size, 0 on failure.
unsigned long long Generate(const std::string& path, long count, int (*record)(long, unsigned long long*, char*)) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  unsigned long long state = 4711, bytes = 0;
  char text[512];
  for (long i = 1; i <= count; ++i) {
    int n = record(i, &state, text);
    if (std::fwrite(text, 1, static_cast<std::size_t>(n), file) != static_cast<std::size_t>(n)) {
      std::fclose(file);
      return 0;
    }
    bytes += static_cast<unsigned long long>(n);
  }
  bytes += std::fwrite("E200000000", 1, 10, file);
  return std::fclose(file) == 0 ? bytes : 0;
}

// The process's resident memory that no file backs (heap, stack), in kB.
long AnonymousKilobytes() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long kilobytes = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, "RssAnon:", 8) == 0) kilobytes = std::atol(line + 8);
  }
  std::fclose(status);
  return kilobytes;
}

double Megabytes(long kilobytes) { return static_cast<double>(kilobytes) / 1024.0; }

// Converts the file kRuns times; prints the best time. False on failure.
bool Bench(const char* title, const std::string& dir, const std::string& incoming, long records,
           unsigned long long bytes, converter::ReportLayout layout, bool* target_met) {
  double best = 0, best_cpu = 0;
  for (int run = 0; run < bench::kRuns; ++run) {
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpu_start = std::clock();
    converter::RecordsEnd end;
    auto result = converter::ConvertReport(platform::SystemEnv(), dir, "report.txt", {{}, incoming}, ';', layout,
                                           converter::ReportHeader::kNone, &end);
    double cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (run == 0 || cpu < best_cpu) best_cpu = cpu;
    if (!result.ok()) {
      std::fprintf(stderr, "The conversion of %s failed.\n", title);
      return false;
    }
    if (run == 0 || seconds < best) best = seconds;
  }
  double megabytes_per_second = static_cast<double>(bytes) / 1e6 / best;
  std::printf("%s: %ld records, %.1f MB incoming\n", title, records, static_cast<double>(bytes) / 1e6);
  std::printf("  best of %d: %.3f s, %.0f records/s, %.1f MB/s (CPU %.3f s)\n", bench::kRuns, best,
              static_cast<double>(records) / best, megabytes_per_second, best_cpu);
  std::printf("  memory after it: peak %.1f MB (mapping included), unbacked %.1f MB\n",
              Megabytes(bench::PeakKilobytes()), Megabytes(AnonymousKilobytes()));
  if (megabytes_per_second < kTargetMegabytesPerSecond) *target_met = false;
  if (AnonymousKilobytes() > kTargetUnbackedKilobytes) *target_met = false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  long transact_records = argc > 1 ? std::atol(argv[1]) : kDefaultTransactRecords;
  long plu_records = argc > 2 ? std::atol(argv[2]) : kDefaultPluRecords;
  if (transact_records <= 0 || plu_records <= 0) {
    std::fputs("usage: report_bench [transact records] [plu records]\n", stderr);
    return 1;
  }
  const bench::TempFolder folder("report-bench");
  const std::string& dir = folder.path();
  if (dir.empty()) return 1;
  unsigned long long transact_bytes = Generate(dir + "/qsbencht30.dat", transact_records, TransactRecord);
  unsigned long long plu_bytes = Generate(dir + "/qsbencht26.dat", plu_records, PluTotalRecord);
  if (transact_bytes == 0 || plu_bytes == 0) {
    std::fputs("Could not write the incoming files.\n", stderr);
    return 1;
  }
  std::printf("before: peak %.1f MB, unbacked %.1f MB\n", Megabytes(bench::PeakKilobytes()),
              Megabytes(AnonymousKilobytes()));

  bool target_met = true;
  bool ok = Bench("Transact", dir, "qsbencht30.dat", transact_records, transact_bytes,
                  converter::ReportLayout::kTransact, &target_met) &&
            Bench("PLUTotal", dir, "qsbencht26.dat", plu_records, plu_bytes, converter::ReportLayout::kPLUTotal,
                  &target_met);
  if (!ok) return 1;
  std::printf("targets %.0f MB/s, under %ld MB unbacked: %s\n", kTargetMegabytesPerSecond,
              kTargetUnbackedKilobytes / 1024, target_met ? "met" : "MISSED");
  return 0;
}
