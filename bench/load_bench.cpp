// Times a whole load: VelkoCon turns a price list of 10,000 articles into
// the PLU file and has F34, F38, the PLU file and the store name sent to an
// emulated scale, one xferlnk run per file. The limit it is measured against
// is the lock-step round trips of the same number of record packets, sent
// by the raw ping-pong client to the same emulator.
//
//   load_bench [articles]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench_process.h"

namespace {

constexpr long kDefaultArticles = 10000;
// The whole load may take this many times the raw round trips of its
// packets: on top of them come the conversion of the price list, four
// program starts with their file checks, and the emulator writing its store
// to disk (flushed) each time a file's connection closes.
constexpr double kTargetRatio = 1.5;

// The records of a hex record file, by their length fields.
long CountRecords(const std::string& hex) {
  long count = 0;
  std::size_t at = 0;
  while (at + 12 <= hex.size()) {
    unsigned long length = std::strtoul(hex.substr(at + 8, 4).c_str(), nullptr, 16);
    if (length < 6) break;
    at += 2 * length;
    ++count;
  }
  return count;
}

// A price list of plausible articles: weighed and counted, names of one and
// two lines, some with extra number and item code.
std::string PriceList(long articles) {
  static const char* const kWords[] = {"Apples", "Pears",  "Cheese", "Gouda",  "Salami", "Bread",   "Smoked",
                                       "Salmon", "Fillet", "Grapes", "Olives", "Dutch",  "Organic", "Walnuts"};
  std::string list;
  unsigned long long state = 4242;
  for (long i = 1; i <= articles; ++i) {
    unsigned r = bench::Next(&state);
    list += std::to_string(i) + ";";
    int words = 1 + static_cast<int>(r % 5);
    for (int w = 0; w < words; ++w) list += std::string(w > 0 ? " " : "") + kWords[(r >> (4 * w)) % 14];
    list += ";" + std::to_string(r % 5000 / 100) + "." + std::to_string(10 + r % 90);
    list += (r & 64) != 0 ? ";1" : ";0";
    if ((r & 128) != 0) list += ";" + std::to_string(r % 1000) + ";" + std::to_string(2000000 + r % 999999);
    list += "\n";
  }
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  const long articles = argc > 1 ? std::atol(argv[1]) : kDefaultArticles;
  if (articles <= 0) {
    std::fputs("usage: load_bench [articles]\n", stderr);
    return 1;
  }
  const std::string bin = bench::BinDir();
  const bench::TempFolder folder("load-bench");
  const std::string& dir = folder.path();
  if (dir.empty()) return 1;
  const std::string shop = bench::MakeShopFolder(dir, SCALELINK_SOURCE_DIR "/examples", {"F34.DAT", "F38.DAT", "velkocon.ini"});
  // The load alone: the example settings verify it (verify_bench times that).
  std::string settings = bench::ReadAll(shop + "/velkocon.ini");
  if (const std::size_t at = settings.find("Verify=1"); at != std::string::npos) settings[at + 7] = '0';
  bool ok = bench::WriteAll(shop + "/velkocon.ini", settings) && bench::WriteAll(shop + "/VelkoCon.txt", PriceList(articles)) &&
            bench::WriteAll(dir + "/hosts", std::string(bench::kLoadScale.address) + " S0001\n");
  const std::vector<std::string> env = {"LD_PRELOAD=libnss_wrapper.so", "NSS_WRAPPER_HOSTS=" + dir + "/hosts"};

  bench::ChildProcess sim;
  if (!bench::StartScale(&sim, dir, dir + "/store", {bench::kLoadScale.Listen()})) return 1;

  // The packets of a load: F34, F38, the PLU file and the store name.
  long packets = 0;
  {
    bench::Timed first = bench::RunTimed({shop + "/VelkoCon", "001", "2"}, shop, env);
    ok = ok && first.ok && bench::ReadAll(shop + "/error") == "0";
    packets = CountRecords(bench::ReadAll(shop + "/qs001F34.DAT")) + CountRecords(bench::ReadAll(shop + "/qs001F38.DAT")) +
              CountRecords(bench::ReadAll(shop + "/qs001F25.dat")) + CountRecords(bench::ReadAll(shop + "/qs001F52.dat"));
  }
  double best_load = 1e9, best_raw = 1e9;
  long rss = 0;
  for (int run = 0; run < bench::kRuns && ok; ++run) {
    // The raw client's records go first: the load then puts the articles
    // back over the ones with the same keys.
    bench::Timed raw = bench::RunTimed({bin + "/transfer_pingpong", bench::kLoadScale.address, bench::kLoadScale.port, std::to_string(packets)}, dir, {});
    bench::Timed load = bench::RunTimed({shop + "/VelkoCon", "001", "2"}, shop, env);
    ok = raw.ok && load.ok && bench::ReadAll(shop + "/error") == "0";
    if (load.seconds < best_load) best_load = load.seconds;
    if (raw.seconds < best_raw) best_raw = raw.seconds;
    if (load.max_rss_kb > rss) rss = load.max_rss_kb;
  }
  bench::StopScale(&sim);
  // Every record of the PLU file is at the scale.
  std::string store_text = bench::ReadAll(dir + "/store/001/tables.hex");
  std::unordered_set<std::string> store;
  for (std::size_t at = 0; at < store_text.size();) {
    std::size_t end = store_text.find('\n', at);
    if (end == std::string::npos) end = store_text.size();
    store.insert(store_text.substr(at, end - at));
    at = end + 1;
  }
  std::string plu_file = bench::ReadAll(shop + "/qs001F25.dat");
  long found = 0, records = 0;
  for (std::size_t at = 0; at + 12 <= plu_file.size();) {
    unsigned long length = std::strtoul(plu_file.substr(at + 8, 4).c_str(), nullptr, 16);
    if (length < 6) break;
    ++records;
    if (store.count("25 " + plu_file.substr(at, 2 * length)) != 0) ++found;
    at += 2 * length;
  }
  if (!ok || records != articles || found != articles) {
    std::fprintf(stderr, "load_bench: a run failed (%ld of %ld articles at the scale)\n", found, articles);
    return 1;
  }

  const double ratio = best_load / best_raw;
  std::printf("articles                %ld (%ld record packets in all)\n", articles, packets);
  std::printf("whole load              %.3f s  (%.0f articles/s)\n", best_load,
              static_cast<double>(articles) / best_load);
  bench::PrintPerItem("raw round trips", best_raw, packets, "packet");
  bench::PrintRatio(ratio, kTargetRatio);
  std::printf("converter peak memory   %ld KiB\n", rss);
  return 0;
}
