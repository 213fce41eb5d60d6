// Times a record load of 100,000 PLU records with xferlnk against the scale
// emulator over loopback, and the same exchange by the raw ping-pong client
// (transfer_pingpong). The protocol is lock-step, so one round trip per
// record is the limit: xferlnk should take at most 1.15 times as long (the
// two take turns run by run; each figure is a median). Also
// prints xferlnk's peak memory for a small and the large file, which must not
// grow with the file.
//
//   transfer_bench [records]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_process.h"
#include "transfer_records.h"

namespace {

constexpr long kDefaultRecords = 100000;
constexpr long kSmallRecords = 10000;
constexpr double kTargetRatio = 1.15;

bool WriteRecordFile(const std::string& path, long records) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::uint8_t record[transfer_bench::kRecordBytes];
  char text[2 * transfer_bench::kRecordBytes];
  const char* digits = "0123456789ABCDEF";
  for (long i = 1; i <= records; ++i) {
    transfer_bench::MakeRecord(i, record);
    for (std::size_t k = 0; k < sizeof record; ++k) {
      text[2 * k] = digits[record[k] >> 4];
      text[2 * k + 1] = digits[record[k] & 0x0F];
    }
    std::fwrite(text, 1, sizeof text, file);
  }
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : kDefaultRecords;
  const std::string bin = bench::BinDir();
  const bench::TempFolder folder("transfer-bench");
  const std::string& dir = folder.path();
  if (dir.empty()) return 1;
  const std::string file_name = std::string("QS") + bench::kTransferScale.address + "F25.DAT.DAT";
  const std::vector<std::string> env = {"XFLTCPMODE=DHCP"};

  bench::ChildProcess sim;
  if (!bench::StartScale(&sim, dir, dir + "/store", {bench::kTransferScale.Listen()})) return 1;

  bool ok = WriteRecordFile(dir + "/" + file_name, kSmallRecords);
  bench::Timed small = bench::RunTimed({bin + "/xferlnk", "F25.DAT", bench::kTransferScale.address}, dir, env);
  ok = ok && small.ok && bench::ReadAll(dir + "/error") == "0";
  ok = ok && WriteRecordFile(dir + "/" + file_name, records);

  // The two sides take turns run by run; each figure is a median.
  std::vector<double> raw_times, xferlnk_times;
  long rss = 0;
  for (int run = 0; run < bench::kRuns && ok; ++run) {
    for (int turn = 0; turn < 2 && ok; ++turn) {
      if ((run + turn) % 2 == 0) {
        bench::Timed raw = bench::RunTimed({bin + "/transfer_pingpong", bench::kTransferScale.address, bench::kTransferScale.port, std::to_string(records)}, dir, {});
        ok = raw.ok;
        raw_times.push_back(raw.seconds);
      } else {
        bench::Timed load = bench::RunTimed({bin + "/xferlnk", "F25.DAT", bench::kTransferScale.address}, dir, env);
        ok = load.ok && bench::ReadAll(dir + "/error") == "0";
        xferlnk_times.push_back(load.seconds);
        rss = load.max_rss_kb;
      }
    }
  }
  bench::StopScale(&sim);
  if (!ok) {
    std::fprintf(stderr, "transfer_bench: a run failed\n");
    return 1;
  }

  const double raw_s = bench::Median(raw_times), xferlnk_s = bench::Median(xferlnk_times);
  const double ratio = xferlnk_s / raw_s;
  std::printf("records                 %ld (%zu bytes each)\n", records, transfer_bench::kRecordBytes);
  bench::PrintPerItem("raw ping-pong", raw_s, records, "round trip");
  bench::PrintPerItem("xferlnk record load", xferlnk_s, records, "record");
  bench::PrintRatio(ratio, kTargetRatio);
  std::printf("xferlnk peak memory     %ld KiB for %ld records, %ld KiB for %ld records\n", small.max_rss_kb,
              kSmallRecords, rss, records);
  return 0;
}
