// Times the whole shop: 8 emulated scales that hold each reply 1 ms (a real
// scale answers in 1 to 10 ms), loaded by one run of `VelkoCon all 2` with a
// price list of 5,000 articles, against the load of one scale alone; then a
// fetch of the sales of all 8 (`VelkoCon all 2 -Transact`) against the fetch
// of one. The scales are served at once (Parallel Scales=8), so the whole
// shop should take at most 1.25 times one scale. The same run with Parallel
// Scales=1, one scale after another, is printed beside it (about 8 times).
// The sides of each ratio take turns run by run; each figure is a median.
// The peak memory of a run (the converter and the transfer program it
// starts) must grow by no more than a scale's buffers with each scale added.
//
//   shop_bench [articles] [transactions]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench_process.h"

namespace {

constexpr int kScales = 8;
constexpr long kDefaultArticles = 5000;
constexpr long kDefaultTransactions = 2000;
constexpr double kTargetRatio = 1.25;
// What one scale more may add to a run's peak memory: its connection, its
// buffers and the stack its thread touches.
constexpr long kScaleAllowanceKb = 1024;
const char kDelayMs[] = "1";

std::string ScaleId(int n) { return "00" + std::to_string(n); }

std::string Settings(int parallel) {
  return "[Params]\nCodePage=Win\nShop Name=Bench\nTransact=transact-{scale}.txt\n"
         "Scales=001 002 003 004 005 006 007 008\nParallel Scales=" +
         std::to_string(parallel) + "\n";
}

// A store whose every scale holds transactions sales of 29 bytes.
bool WriteStore(const std::string& store, long transactions) {
  for (int n = 1; n <= kScales; ++n) {
    std::string table;
    char line[80];
    for (long i = 1; i <= transactions; ++i) {
      std::snprintf(line, sizeof line, "2E %08ld001D%08ld%08ld00000000000100001234071226%04ld\n", i, i % 100 + 1,
                    i * 7 % 5000, i % 2400);
      table += line;
    }
    std::filesystem::create_directories(store + "/" + ScaleId(n));
    if (!bench::WriteAll(store + "/" + ScaleId(n) + "/tables.hex", table)) return false;
  }
  return true;
}

class Shop {
 public:
  Shop(const std::string& dir, const std::string& shop) : dir_(dir), shop_(shop) {
    for (int n = 1; n <= kScales; ++n) {
      listen_.push_back(bench::kShopAddressPrefix + std::to_string(n) + ":" + std::to_string(2000 + n));
    }
    env_ = {"LD_PRELOAD=libnss_wrapper.so", "NSS_WRAPPER_HOSTS=" + dir + "/hosts"};
  }

  // The scales started afresh, each holding transactions sales.
  bool Start(long transactions) {
    Stop();
    std::error_code ignored;
    std::filesystem::remove_all(dir_ + "/store", ignored);
    return WriteStore(dir_ + "/store", transactions) &&
           bench::StartScale(&sim_, dir_, dir_ + "/store", listen_, {"--delay-ms", kDelayMs});
  }
  void Stop() {
    if (sim_.started() && !sim_.ended()) bench::StopScale(&sim_);
  }

  // One run of VelkoCon with the scale argument and the mode (empty: load).
  bench::Timed Run(const std::string& scales, int parallel, const char* mode) {
    bench::Timed failed;
    if (!bench::WriteAll(shop_ + "/velkocon.ini", Settings(parallel))) return failed;
    std::vector<std::string> args = {shop_ + "/VelkoCon", scales, "2"};
    if (mode[0] != '\0') args.push_back(mode);
    bench::Timed timed = bench::RunTimed(args, shop_, env_);
    if (!timed.ok) std::fprintf(stderr, "shop_bench: VelkoCon %s %s failed\n", scales.c_str(), mode);
    return timed;
  }

 private:
  std::string dir_;
  std::string shop_;
  std::vector<std::string> listen_;
  std::vector<std::string> env_;
  bench::ChildProcess sim_;
};

struct Figures {
  double one = 0;         // one scale alone, median
  double all = 0;         // the whole shop at once, median
  double in_turn = 0;     // the whole shop one scale after another
  long one_kb = 0;        // peak memory of a run for one scale
  long all_kb = 0;        // and for the whole shop
  bool ok = true;
};

// Times a mode (empty: the load) for one scale and for the whole shop, the
// two taking turns, then once with the scales in turn. A fetch needs the
// scales' sales back before each run.
Figures Measure(Shop* shop, const char* mode, long transactions) {
  const bool fetch = mode[0] != '\0';
  Figures f;
  std::vector<double> one, all;
  auto run = [&](const std::string& scales, int parallel) {
    if (fetch && !shop->Start(transactions)) return bench::Timed();
    return shop->Run(scales, parallel, mode);
  };
  for (int i = 0; i < bench::kRuns && f.ok; ++i) {
    for (int turn = 0; turn < 2 && f.ok; ++turn) {
      const bool whole = (i + turn) % 2 == 1;
      bench::Timed t = whole ? run("all", kScales) : run("001", kScales);
      f.ok = t.ok;
      (whole ? all : one).push_back(t.seconds);
      long& kb = whole ? f.all_kb : f.one_kb;
      if (t.max_rss_kb > kb) kb = t.max_rss_kb;
    }
  }
  if (f.ok) {
    bench::Timed t = run("all", 1);
    f.ok = t.ok;
    f.in_turn = t.seconds;
  }
  f.one = bench::Median(one);
  f.all = bench::Median(all);
  return f;
}

void Print(const char* what, const Figures& f) {
  const double ratio = f.all / f.one;
  std::printf("%s one scale          %.3f s (median)\n", what, f.one);
  std::printf("%s %d scales at once   %.3f s (median)\n", what, kScales, f.all);
  std::printf("%s %d scales in turn   %.3f s (%.1f x one scale)\n", what, kScales, f.in_turn, f.in_turn / f.one);
  std::printf("%s ratio              %.3f  (target <= %.2f: %s)\n", what, ratio, kTargetRatio,
              ratio <= kTargetRatio ? "met" : "NOT met");
  const long grown = f.all_kb - f.one_kb;
  const long allowed = (kScales - 1) * kScaleAllowanceKb;
  std::printf("%s peak memory        %ld KiB one scale, %ld KiB %d scales (%ld KiB a scale added; target <= %ld: %s)\n",
              what, f.one_kb, f.all_kb, kScales, grown / (kScales - 1), kScaleAllowanceKb,
              grown <= allowed ? "met" : "NOT met");
}

}  // namespace

int main(int argc, char** argv) {
  const long articles = argc > 1 ? std::atol(argv[1]) : kDefaultArticles;
  const long transactions = argc > 2 ? std::atol(argv[2]) : kDefaultTransactions;
  if (articles <= 0 || transactions <= 0) {
    std::fputs("usage: shop_bench [articles] [transactions]\n", stderr);
    return 1;
  }
  const bench::TempFolder folder("shop-bench");
  const std::string& dir = folder.path();
  if (dir.empty()) return 1;
  const std::string shop_dir = bench::MakeShopFolder(dir, SCALELINK_SOURCE_DIR "/examples", {"F34.DAT", "F38.DAT"});
  std::string hosts;
  for (int n = 1; n <= kScales; ++n) hosts += bench::kShopAddressPrefix + std::to_string(n) + " S000" + std::to_string(n) + "\n";
  if (!bench::WriteAll(shop_dir + "/VelkoCon.txt", bench::SimplePriceList(articles)) || !bench::WriteAll(dir + "/hosts", hosts)) return 1;

  Shop shop(dir, shop_dir);
  bool ok = shop.Start(0);
  const Figures load = ok ? Measure(&shop, "", 0) : Figures();
  const Figures fetch = ok && load.ok ? Measure(&shop, "-Transact", transactions) : Figures();
  shop.Stop();
  // The last fetch brought every scale's sales into its own report.
  for (int n = 1; n <= kScales && ok; ++n) {
    const std::string report = bench::ReadAll(shop_dir + "/transact-" + ScaleId(n) + ".txt");
    long lines = 0;
    for (char c : report) lines += c == '\n';
    ok = lines == transactions;
  }
  if (!ok || !load.ok || !fetch.ok) {
    std::fputs("shop_bench: a run failed, or a report did not hold its scale's sales\n", stderr);
    return 1;
  }
  std::printf("scales                  %d, %ld articles, %ld sales each, reply delay %s ms, %u cores\n", kScales,
              articles, transactions, kDelayMs, std::thread::hardware_concurrency());
  Print("load ", load);
  Print("fetch", fetch);
  return 0;
}
