#include "scalesim/sell.h"

#include <cstdio>
#include <map>
#include <random>
#include <set>

#include "scalesim/packed_decimal.h"
#include "scalesim/plu_record.h"
#include "scalesim/sale_records.h"
#include "scalesim/serve_options.h"
#include "scalesim/server.h"
#include "scalesim/store.h"

namespace scalesim {
namespace {

constexpr int kExitNothingToSell = 4;

// The shop's day: sales from 08:00 to 20:00; the first sale of a new store
// falls on 7 December 2026.
constexpr int kOpeningHour = 8;
constexpr int kClosingHour = 20;
const DateTime kFirstDay = {2026, 12, 7, kOpeningHour, 0, 0};
// Seconds between two sales, and what a sale weighs or counts.
constexpr int kMinGapSeconds = 20;
constexpr int kMaxGapSeconds = 240;
constexpr int kMinGrams = 50;
constexpr int kMaxGrams = 2500;
constexpr int kMaxPieces = 5;
constexpr std::uint64_t kGramsPerKilogram = 1000;
constexpr std::uint64_t kMaxTicket = 99999999;
// The group (department) of a PLU: its tens and hundreds digits, so that
// PLUs 1-19 are group 1, 20-29 group 2, ..., 990-999 group 99.
constexpr std::uint64_t kGroupDivisor = 10;
constexpr std::uint64_t kGroups = 100;

std::uint64_t GroupOf(std::uint64_t plu_number) {
  std::uint64_t group = plu_number / kGroupDivisor % kGroups;
  return group == 0 ? 1 : group;
}

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}
  // A number from low to high; mt19937_64's output is the same everywhere.
  std::uint64_t Between(std::uint64_t low, std::uint64_t high) { return low + engine_() % (high - low + 1); }

 private:
  std::mt19937_64 engine_;
};

struct Article {
  Key key = 0;
  Plu plu;
  std::uint8_t barcode[7] = {};
};

// Where the last sale left the ticket counter and the clock, read from the
// newest record of the real-time buffer.
void ReadLastSale(const Store& store, std::uint64_t* ticket, std::int64_t* clock) {
  *ticket = 0;
  *clock = ToSeconds(kFirstDay);
  auto buffer = store.tables.find(kRealTimeCode);
  if (buffer == store.tables.end() || buffer->second.empty()) return;
  const Record& last = buffer->second.rbegin()->second;
  if (last.size() != kRealTimeLength) return;
  *ticket = GetPacked(last.data(), 4);
  std::uint64_t date = GetPacked(&last[80], 3);
  std::uint64_t time = GetPacked(&last[360], 4) / 100;
  DateTime when;
  when.day = static_cast<int>(date / 10000);
  when.month = static_cast<int>(date / 100 % 100);
  when.year = 2000 + static_cast<int>(date % 100);
  when.hour = static_cast<int>(time / 10000);
  when.minute = static_cast<int>(time / 100 % 100);
  when.second = static_cast<int>(time % 100);
  if (when.day >= 1 && when.day <= 31 && when.month >= 1 && when.month <= 12) *clock = ToSeconds(when);
}

std::int64_t NextClock(std::int64_t clock, Random* random) {
  clock += static_cast<std::int64_t>(random->Between(kMinGapSeconds, kMaxGapSeconds));
  DateTime when = ToDateTime(clock);
  if (when.hour >= kClosingHour || when.hour < kOpeningHour) {
    // Closed: the next sale is at opening time of the next day.
    if (when.hour >= kClosingHour) clock += 86400;
    when = ToDateTime(clock);
    when.hour = kOpeningHour;
    when.minute = 0;
    when.second = 0;
    clock = ToSeconds(when) + static_cast<std::int64_t>(random->Between(0, kMaxGapSeconds));
  }
  return clock;
}

void TrimRealTimeBuffer(Table* buffer) {
  while (buffer->size() > kRealTimeCapacity) buffer->erase(buffer->begin());
}

}  // namespace

bool ParseSellArguments(const std::vector<std::string>& arguments, SellOptions* options, std::string* problem) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (i + 1 >= arguments.size()) {
      *problem = "An option of sell has no value\n";
      return false;
    }
    const std::string& value = arguments[++i];
    long long number = 0;
    bool ok = true;
    if (a == "--store") {
      options->store = value;
      ok = !value.empty();
    } else if (a == "--scale") {
      ok = ParseCount(value, 0, kLastScalePort - kFirstScalePort, &number);
      options->scale = static_cast<int>(number);
    } else if (a == "--count") {
      ok = ParseCount(value, 1, kMaxSalesPerRun, &number);
      options->count = number;
    } else if (a == "--seed") {
      ok = ParseCount(value, 0, 999999999999999999LL, &number);
      options->seed = static_cast<std::uint64_t>(number);
    } else {
      *problem = "Unknown option for sell\n";
      return false;
    }
    if (!ok) {
      *problem = "An option of sell has a wrong value\n";
      return false;
    }
  }
  if (options->store.empty() || options->scale < 0 || options->count <= 0) {
    *problem = "sell needs --store DIR, --scale N and --count N\n";
    return false;
  }
  return true;
}

int Sell(const SellOptions& options) {
  std::string directory = ScaleDirectory(options.store, options.scale);
  Store store;
  std::string problem;
  if (!LoadStore(directory, &store, &problem)) {
    std::fputs(problem.c_str(), stderr);
    return kExitStartFailed;
  }
  std::vector<Article> articles;
  auto plus = store.tables.find(kPluCode);
  if (plus != store.tables.end()) {
    for (const auto& [key, record] : plus->second) {
      Article article;
      article.key = key;
      // Key 0 can never be read back (a read asks for keys above the one it
      // gives), so no totals are kept under it.
      if (key == 0 || !DecodePlu(record, &article.plu)) continue;
      article.barcode[0] = record[17];
      for (int i = 0; i < 6; ++i) article.barcode[1 + i] = record[18 + i];
      articles.push_back(article);
    }
  }
  if (articles.empty()) {
    std::fputs("No PLUs are loaded at this scale: nothing to sell\n", stderr);
    return kExitNothingToSell;
  }
  Random random(options.seed);
  std::uint64_t ticket = 0;
  std::int64_t clock = 0;
  ReadLastSale(store, &ticket, &clock);
  std::uint64_t total_amount = 0;
  for (long long n = 0; n < options.count; ++n) {
    const Article& article = articles[random.Between(0, articles.size() - 1)];
    Sale sale;
    ticket = ticket >= kMaxTicket ? 1 : ticket + 1;
    sale.ticket = ticket;
    sale.plu_key = article.key;
    sale.plu_number = article.plu.number;
    sale.counted = article.plu.counted;
    sale.unit_price = article.plu.price;
    if (sale.counted) {
      sale.pieces = random.Between(1, kMaxPieces);
      sale.amount = sale.unit_price * sale.pieces;
    } else {
      sale.grams = random.Between(kMinGrams, kMaxGrams);
      sale.amount = (sale.unit_price * sale.grams + kGramsPerKilogram / 2) / kGramsPerKilogram;
    }
    sale.clerk = static_cast<int>(random.Between(1, kClerks));
    sale.group = GroupOf(sale.plu_number);
    clock = NextClock(clock, &random);
    sale.when = ToDateTime(clock);
    for (int i = 0; i < 7; ++i) sale.barcode[i] = article.barcode[i];

    Record transaction = TransactionRecord(sale);
    store.tables[kTransactionCode][KeyOf(transaction.data())] = transaction;
    Record realtime = RealTimeRecord(sale);
    Table& buffer = store.tables[kRealTimeCode];
    buffer[KeyOf(realtime.data())] = realtime;
    TrimRealTimeBuffer(&buffer);
    AddToPluTotals(sale, &store.tables[kPluTotalsCode][sale.plu_key]);
    std::uint8_t group_key[4];
    PutPacked(sale.group, 4, group_key);
    AddToGroupTotals(sale, &store.tables[kGroupTotalsCode][KeyOf(group_key)]);
    std::uint8_t clerk_key[4];
    PutPacked(static_cast<std::uint64_t>(sale.clerk), 4, clerk_key);
    AddToCounterTotals(sale, KeyOf(clerk_key), &store.tables[kClerkTotalsCode][KeyOf(clerk_key)]);
    AddToCounterTotals(sale, kStoreTotalsKey, &store.tables[kStoreTotalsCode][kStoreTotalsKey]);
    total_amount += sale.amount;
  }
  // How many PLUs of each group have totals.
  std::map<Key, int> plus_in_group;
  for (const auto& [key, record] : store.tables[kPluTotalsCode]) {
    if (record.size() != kPluTotalsLength) continue;
    std::uint8_t group_key[4];
    PutPacked(GetPacked(&record[14], 2), 4, group_key);
    ++plus_in_group[KeyOf(group_key)];
  }
  for (auto& [key, record] : store.tables[kGroupTotalsCode]) SetGroupPluCount(plus_in_group[key], &record);

  store.dirty = true;
  if (!SaveStore(directory, &store, &problem)) {
    std::fputs(problem.c_str(), stderr);
    return kExitStoreFailed;
  }
  std::printf("Sold %lld items at scale %03d for %llu.%02llu, tickets up to %llu\n", options.count, options.scale,
              static_cast<unsigned long long>(total_amount / 100),
              static_cast<unsigned long long>(total_amount % 100), static_cast<unsigned long long>(ticket));
  return kExitOk;
}

}  // namespace scalesim
