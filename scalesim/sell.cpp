#include "scalesim/sell.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>

#include "scalesim/exit_codes.h"
#include "scalesim/plu_record.h"
#include "scalesim/sale_records.h"
#include "scalesim/store.h"

namespace scalesim {
namespace {

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
constexpr std::int64_t kSecondsPerDay = 86400;
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
};

// Every PLU that can be sold: all loaded PLUs but key 0, which a read can
// never return (it asks for keys above the one it gives), so that no totals
// are kept under it.
std::vector<Article> ArticlesOf(const Store& store) {
  std::vector<Article> articles;
  auto plus = store.tables.find(kPluCode);
  if (plus == store.tables.end()) return articles;
  for (const auto& [key, record] : plus->second) {
    Article article;
    article.key = key;
    if (key == 0 || !DecodePlu(record, &article.plu)) continue;
    articles.push_back(article);
  }
  return articles;
}

// Where the last sale left the ticket counter and the clock, read from the
// newest record of the real-time buffer.
void ReadLastSale(const Store& store, std::uint64_t* ticket, std::int64_t* clock) {
  *ticket = 0;
  *clock = ToSeconds(kFirstDay);
  auto buffer = store.tables.find(kRealTimeCode);
  if (buffer == store.tables.end() || buffer->second.empty()) return;
  DateTime when;
  if (!ReadRealTimeRecord(buffer->second.rbegin()->second, ticket, &when)) return;
  if (when.day >= 1 && when.day <= 31 && when.month >= 1 && when.month <= 12) *clock = ToSeconds(when);
}

std::int64_t NextClock(std::int64_t clock, Random* random) {
  clock += static_cast<std::int64_t>(random->Between(kMinGapSeconds, kMaxGapSeconds));
  DateTime when = ToDateTime(clock);
  if (when.hour >= kClosingHour || when.hour < kOpeningHour) {
    // Closed: the next sale is at opening time of the next day.
    if (when.hour >= kClosingHour) clock += kSecondsPerDay;
    when = ToDateTime(clock);
    when.hour = kOpeningHour;
    when.minute = 0;
    when.second = 0;
    clock = ToSeconds(when) + static_cast<std::int64_t>(random->Between(0, kMaxGapSeconds));
  }
  return clock;
}

// The next sale: an article, its weight or pieces, a clerk and a time
// after *clock (drawn in that order, so that a seed gives the same sales).
Sale NextSale(const std::vector<Article>& articles, std::uint64_t ticket, std::int64_t* clock, Random* random) {
  const Article& article = articles[random->Between(0, articles.size() - 1)];
  Sale sale;
  sale.ticket = ticket;
  sale.plu_key = article.key;
  sale.plu_number = article.plu.number;
  sale.counted = article.plu.counted;
  sale.unit_price = article.plu.price;
  if (sale.counted) {
    sale.pieces = random->Between(1, kMaxPieces);
    sale.amount = sale.unit_price * sale.pieces;
  } else {
    sale.grams = random->Between(kMinGrams, kMaxGrams);
    sale.amount = (sale.unit_price * sale.grams + kGramsPerKilogram / 2) / kGramsPerKilogram;
  }
  sale.clerk = static_cast<int>(random->Between(1, kClerks));
  sale.group = GroupOf(sale.plu_number);
  *clock = NextClock(*clock, random);
  sale.when = ToDateTime(*clock);
  std::copy(article.plu.barcode, article.plu.barcode + kBarcodeLength, sale.barcode);
  return sale;
}

// Writes the sale into the transactions, the real-time buffer (keeping the
// newest kRealTimeCapacity) and the PLU, group, clerk and store totals.
void RecordSale(const Sale& sale, Store* store) {
  Record transaction = TransactionRecord(sale);
  store->tables[kTransactionCode][KeyOf(transaction.data())] = transaction;
  Record realtime = RealTimeRecord(sale);
  Table& buffer = store->tables[kRealTimeCode];
  buffer[KeyOf(realtime.data())] = realtime;
  while (buffer.size() > kRealTimeCapacity) buffer.erase(buffer.begin());
  AddToPluTotals(sale, &store->tables[kPluTotalsCode][sale.plu_key]);
  AddToGroupTotals(sale, &store->tables[kGroupTotalsCode][PackedKey(sale.group)]);
  Key clerk = PackedKey(static_cast<std::uint64_t>(sale.clerk));
  AddToCounterTotals(sale, clerk, &store->tables[kClerkTotalsCode][clerk]);
  AddToCounterTotals(sale, kStoreTotalsKey, &store->tables[kStoreTotalsCode][kStoreTotalsKey]);
}

// Sets in each group totals record how many PLUs of the group have totals.
void CountPlusOfGroups(Store* store) {
  std::map<Key, int> plus_in_group;
  for (const auto& [key, record] : store->tables[kPluTotalsCode]) {
    std::uint64_t group = 0;
    if (ReadPluTotalsGroup(record, &group)) ++plus_in_group[PackedKey(group)];
  }
  for (auto& [key, record] : store->tables[kGroupTotalsCode]) SetGroupPluCount(plus_in_group[key], &record);
}

}  // namespace

int Sell(const Options& options, common::MessageSink& messages) {
  std::string directory = ScaleDirectory(options.store, options.scale);
  Store store;
  std::string problem;
  if (!LoadStore(directory, &store, &problem)) {
    messages.Err(problem);
    return kExitStartFailed;
  }
  std::vector<Article> articles = ArticlesOf(store);
  if (articles.empty()) {
    messages.Err("No PLUs are loaded at this scale: nothing to sell\n");
    return kExitNothingToSell;
  }
  Random random(options.seed);
  std::uint64_t ticket = 0;
  std::int64_t clock = 0;
  ReadLastSale(store, &ticket, &clock);
  std::uint64_t total_amount = 0;
  for (long long n = 0; n < options.count; ++n) {
    ticket = ticket >= kMaxTicket ? 1 : ticket + 1;
    Sale sale = NextSale(articles, ticket, &clock, &random);
    RecordSale(sale, &store);
    total_amount += sale.amount;
  }
  CountPlusOfGroups(&store);
  store.dirty = true;
  if (!SaveStore(directory, &store, &problem)) {
    messages.Err(problem);
    return kExitStoreFailed;
  }
  messages.Print(common::Stream::kOut, "Sold %lld items at scale %03d for %llu.%02llu, tickets up to %llu\n", options.count, options.scale,
              static_cast<unsigned long long>(total_amount / 100),
              static_cast<unsigned long long>(total_amount % 100), static_cast<unsigned long long>(ticket));
  return kExitOk;
}

}  // namespace scalesim
