// Times a paired read of 100,000 transactions with xferlnk against the scale
// emulator over loopback, and the same two round trips per record by the raw
// client (fetch_pingpong), which also puts each record on the disk before
// the key packet that clears it, as xferlnk does. The protocol is lock-step,
// so those round trips and syncs are the limit: xferlnk should take at most
// 1.10 times as long. The raw client without syncing gives the cost of the
// syncs a record. The sides take turns run by run; each figure is a median.
// Also measures xferlnk's memory above its base (a read of a few records)
// for 10,000 and 100,000 records: the keys it has seen take at most 16 bytes
// a record. The files are on the disk of /tmp, so that syncing costs what it
// costs there.
//
//   fetch_bench [records]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_process.h"

namespace {

// The reads measured: the default, a small one, and the base that memory is
// measured against.
constexpr long kDefaultRecords = 100000;
constexpr long kSmallRecords = 10000;
constexpr long kBaseRecords = 10;
// The targets: time against the raw round trips, memory a record.
constexpr double kTargetRatio = 1.10;
constexpr double kTargetBytesPerRecord = 16;
const char kTransactionCode[] = "2E";

// The emulator's store with records transactions of 29 bytes.
bool WriteStore(const std::string& store, long records) {
  std::filesystem::create_directories(store + "/003");
  std::FILE* file = std::fopen((store + "/003/tables.hex").c_str(), "wb");
  if (file == nullptr) return false;
  for (long i = 1; i <= records; ++i) {
    // Ticket, length 29, PLU, grams, pieces, clerk, amount, date, time.
    std::fprintf(file, "%s %08ld001D%08ld%08ld00000000000100001234071226%04ld\n", kTransactionCode, i, i % 100 + 1,
                 i * 7 % 5000, i % 2400);
  }
  return std::fclose(file) == 0;
}

// Serves a fresh store of records transactions while run runs.
template <typename Run>
bench::Timed WithScale(const std::string& dir, long records, Run run) {
  const std::string store = dir + "/store";
  std::error_code ignored;
  std::filesystem::remove_all(store, ignored);
  if (!WriteStore(store, records)) return bench::Timed();
  bench::ChildProcess sim;
  const bool started = bench::StartScale(&sim, dir, store, {bench::kFetchScale.Listen()});
  bench::Timed timed = started ? run() : bench::Timed();
  bench::StopScale(&sim);
  return timed;
}

bench::Timed Xferlnk(const std::string& dir, long records) {
  return WithScale(dir, records, [&] {
    bench::Timed t = bench::RunTimed({bench::BinDir() + "/xferlnk", "F30", bench::kFetchScale.address}, dir, {"XFLTCPMODE=DHCP"});
    const std::size_t text = static_cast<std::size_t>(records) * 58 + 10;  // the records and the end reply
    t.ok = t.ok && bench::ReadAll(dir + "/error") == "0" &&
           std::filesystem::file_size(dir + "/QS" + bench::kFetchScale.address + "T30.DAT") == text;
    return t;
  });
}

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : kDefaultRecords;
  const bench::TempFolder folder("fetch-bench");
  const std::string& dir = folder.path();
  if (dir.empty()) return 1;

  bench::Timed base = Xferlnk(dir, kBaseRecords);
  bench::Timed small = Xferlnk(dir, kSmallRecords);
  bool ok = base.ok && small.ok;
  // Each run: the raw client, the raw client syncing, xferlnk; the order
  // turns by one each run.
  std::vector<double> times[3];
  long rss = 0;
  for (int run = 0; run < bench::kRuns && ok; ++run) {
    for (int turn = 0; turn < 3 && ok; ++turn) {
      const int side = (run + turn) % 3;
      bench::Timed timed;
      if (side == 2) {
        timed = Xferlnk(dir, records);
        rss = timed.max_rss_kb;
      } else {
        std::vector<std::string> args = {bench::BinDir() + "/fetch_pingpong", bench::kFetchScale.address, bench::kFetchScale.port, kTransactionCode};
        if (side == 1) args.push_back(dir + "/raw.dat");
        timed = WithScale(dir, records, [&] { return bench::RunTimed(args, dir, {}); });
      }
      ok = timed.ok;
      times[side].push_back(timed.seconds);
    }
  }
  if (!ok) {
    std::fprintf(stderr, "fetch_bench: a run failed\n");
    return 1;
  }

  const double raw = bench::Median(times[0]), raw_synced = bench::Median(times[1]), xferlnk = bench::Median(times[2]);
  const double ratio = xferlnk / raw_synced;
  const double small_bytes = static_cast<double>(small.max_rss_kb - base.max_rss_kb) * 1024.0 / kSmallRecords;
  const double large_bytes = static_cast<double>(rss - base.max_rss_kb) * 1024.0 / static_cast<double>(records);
  std::printf("records                 %ld transactions of 29 bytes\n", records);
  bench::PrintPerItem("raw paired read", raw, records, "record");
  bench::PrintPerItem("raw read, synced", raw_synced, records, "record");
  bench::PrintPerItem("xferlnk paired read", xferlnk, records, "record");
  std::printf("sync per record         %.1f us\n", (raw_synced - raw) * 1e6 / static_cast<double>(records));
  bench::PrintRatio(ratio, kTargetRatio);
  std::printf("xferlnk peak memory     %ld KiB base (%ld records), %ld KiB for %ld, %ld KiB for %ld\n",
              base.max_rss_kb, kBaseRecords, small.max_rss_kb, kSmallRecords, rss, records);
  std::printf("bytes per record        %.1f at %ld, %.1f at %ld (target <= %.0f: %s)\n", small_bytes, kSmallRecords,
              large_bytes, records, kTargetBytesPerRecord,
              small_bytes <= kTargetBytesPerRecord && large_bytes <= kTargetBytesPerRecord ? "met" : "NOT met");
  return 0;
}
