// Times a load with verification against the load alone: VelkoCon loads a
// price list of 10,000 articles into an emulated scale that holds each reply
// 1 ms (a real scale answers in 1 to 10 ms), with Verify=0 and with Verify=1
// (the PLU file read back and compared). The two sides take turns run by run
// (plain, verified; then verified, plain; ...), since loopback speed drifts
// within minutes, and each side's median is taken.
//
//   verify_bench [articles] [runs]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench_process.h"

namespace {

constexpr long kDefaultArticles = 10000;
constexpr int kDefaultRuns = 3;
// A verified load may take this many times the load alone: the read-back
// costs one round trip a PLU, as the load does.
constexpr double kTargetRatio = 2.1;
const char kDelayMs[] = "1";

std::string Settings(bool verify) {
  return std::string("[Params]\nCodePage=Win\nShop Name=Bench\nVerify=") + (verify ? "1" : "0") + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  const long articles = argc > 1 ? std::atol(argv[1]) : kDefaultArticles;
  const int runs = argc > 2 ? std::atoi(argv[2]) : kDefaultRuns;
  if (articles <= 0 || runs <= 0) {
    std::fputs("usage: verify_bench [articles] [runs]\n", stderr);
    return 1;
  }
  const bench::TempFolder folder("verify-bench");
  const std::string& dir = folder.path();
  if (dir.empty()) return 1;
  const std::string shop = bench::MakeShopFolder(dir, SCALELINK_SOURCE_DIR "/examples", {"F34.DAT", "F38.DAT"});
  bool ok = bench::WriteAll(shop + "/VelkoCon.txt", bench::SimplePriceList(articles)) &&
            bench::WriteAll(dir + "/hosts", std::string(bench::kVerifyScale.address) + " S0001\n");
  const std::vector<std::string> env = {"LD_PRELOAD=libnss_wrapper.so", "NSS_WRAPPER_HOSTS=" + dir + "/hosts"};

  bench::ChildProcess sim;
  if (!bench::StartScale(&sim, dir, dir + "/store", {bench::kVerifyScale.Listen()}, {"--delay-ms", kDelayMs})) {
    return 1;
  }

  std::vector<double> plain, verified;
  for (int run = 0; run < runs && ok; ++run) {
    for (int side = 0; side < 2 && ok; ++side) {
      const bool verify = (run + side) % 2 == 1;
      ok = bench::WriteAll(shop + "/velkocon.ini", Settings(verify));
      const bench::Timed load = bench::RunTimed({shop + "/VelkoCon", "001", "2"}, shop, env);
      ok = ok && load.ok;
      (verify ? verified : plain).push_back(load.seconds);
      std::printf("run %d %-9s %.3f s\n", run + 1, verify ? "verified" : "plain", load.seconds);
    }
  }
  bench::StopScale(&sim);
  // The last verified run found every PLU as sent.
  const std::string log = bench::ReadAll(shop + "/velkocon.log");
  const std::string as_sent = "scale 001: " + std::to_string(articles) + " of " + std::to_string(articles) +
                              " PLUs as sent";
  ok = ok && log.find(as_sent) != std::string::npos;
  if (!ok) {
    std::fputs("verify_bench: a run failed, or the read-back did not find every PLU as sent\n", stderr);
    return 1;
  }

  const double plain_s = bench::Median(plain);
  const double verified_s = bench::Median(verified);
  const double ratio = verified_s / plain_s;
  std::printf("articles                %ld, reply delay %s ms, %d runs a side, %u cores\n", articles, kDelayMs, runs,
              std::thread::hardware_concurrency());
  std::printf("load alone              %.3f s (median)\n", plain_s);
  std::printf("load with verification  %.3f s (median)\n", verified_s);
  std::printf("ratio                   %.3f  (target <= %.2f: %s)\n", ratio, kTargetRatio,
              ratio <= kTargetRatio ? "met" : "NOT met");
  return 0;
}
