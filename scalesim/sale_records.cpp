#include "scalesim/sale_records.h"

#include "scalesim/packed_decimal.h"

namespace scalesim {
namespace {

constexpr std::size_t kPluTotalsClerkAt = 16;
constexpr std::size_t kPluTotalsClerkSize = 18;
constexpr std::size_t kPluTotalsDateAt = 106;
constexpr std::size_t kGroupWeighedAt = 8;
constexpr std::size_t kGroupCountedAt = 44;
constexpr std::size_t kGroupDateAt = 80;
constexpr std::size_t kCounterDateAt = 22;
constexpr int kMaxGroupPluCount = 99;

Record NewRecord(Key key, std::size_t length) {
  Record record(length, 0);
  PutKey(key, record.data());
  record[4] = static_cast<std::uint8_t>(length >> 8);
  record[5] = static_cast<std::uint8_t>(length & 0xFF);
  return record;
}

Key PackedKey(std::uint64_t number) {
  std::uint8_t bytes[4];
  PutPacked(number, 4, bytes);
  return KeyOf(bytes);
}

// Adds value to the 4-byte packed field at `at`.
void Add4(std::uint8_t* record, std::size_t at, std::uint64_t value) {
  PutPacked(GetPacked(record + at, 4) + value, 4, record + at);
}

}  // namespace

Record TransactionRecord(const Sale& sale) {
  Record r = NewRecord(PackedKey(sale.ticket), kTransactionLength);
  PutPacked(sale.plu_number, 4, &r[6]);
  PutPacked(sale.grams, 4, &r[10]);
  PutPacked(sale.pieces, 4, &r[14]);
  PutPacked(static_cast<std::uint64_t>(sale.clerk), 2, &r[18]);
  PutPacked(sale.amount, 4, &r[20]);
  PutPacked(DateNumber(sale.when), 3, &r[24]);
  PutPacked(TimeNumber(sale.when) / 100, 2, &r[27]);
  return r;
}

Record RealTimeRecord(const Sale& sale) {
  Record r = NewRecord(PackedKey(sale.ticket), kRealTimeLength);
  r[6] = sale.counted ? 1 : 0;
  PutPacked(sale.plu_number, 4, &r[10]);
  PutPacked(sale.grams, 4, &r[18]);
  PutPacked(sale.pieces, 4, &r[22]);
  PutPacked(sale.unit_price, 4, &r[26]);
  PutPacked(sale.amount, 4, &r[42]);
  PutPacked(DateNumber(sale.when), 3, &r[80]);
  PutPacked(sale.group, 4, &r[100]);
  r[359] = static_cast<std::uint8_t>(sale.clerk);
  PutPacked(TimeNumber(sale.when) * 100, 4, &r[360]);
  return r;
}

void AddToPluTotals(const Sale& sale, Record* record) {
  if (record->size() != kPluTotalsLength) {
    *record = NewRecord(sale.plu_key, kPluTotalsLength);
    for (int c = 1; c <= kClerks; ++c) {
      PutPacked(static_cast<std::uint64_t>(c), 2, &(*record)[kPluTotalsClerkAt + kPluTotalsClerkSize * (c - 1) + 8]);
    }
  }
  std::uint8_t* r = record->data();
  for (int i = 0; i < 7; ++i) r[6 + i] = sale.barcode[i];
  r[13] = sale.counted ? 1 : 0;
  PutPacked(sale.group, 2, r + 14);
  std::size_t at = kPluTotalsClerkAt + kPluTotalsClerkSize * static_cast<std::size_t>(sale.clerk - 1);
  Add4(r, at, 1);
  Add4(r, at + 4, sale.grams);
  Add4(r, at + 10, sale.pieces);
  Add4(r, at + 14, sale.amount);
  PutPacked(DateNumber(sale.when), 3, r + kPluTotalsDateAt);
}

void AddToGroupTotals(const Sale& sale, Record* record) {
  if (record->size() != kGroupTotalsLength) *record = NewRecord(PackedKey(sale.group), kGroupTotalsLength);
  std::uint8_t* r = record->data();
  std::size_t at = sale.counted ? kGroupCountedAt : kGroupWeighedAt;
  Add4(r, at, 1);
  Add4(r, at + 4, sale.grams);
  Add4(r, at + 8, sale.pieces);
  Add4(r, at + 12, sale.amount);
  Add4(r, at + 16 + 4 * static_cast<std::size_t>(sale.clerk - 1), sale.amount);
  PutPacked(DateNumber(sale.when), 3, r + kGroupDateAt);
}

void AddToCounterTotals(const Sale& sale, Key key, Record* record) {
  if (record->size() != kCounterTotalsLength) *record = NewRecord(key, kCounterTotalsLength);
  std::uint8_t* r = record->data();
  Add4(r, 6, 1);
  Add4(r, 10, sale.grams);
  Add4(r, 14, sale.pieces);
  Add4(r, 18, sale.amount);
  PutPacked(DateNumber(sale.when), 3, r + kCounterDateAt);
}

void SetGroupPluCount(int count, Record* record) {
  if (record->size() != kGroupTotalsLength) return;
  if (count > kMaxGroupPluCount) count = kMaxGroupPluCount;
  PutPacked(static_cast<std::uint64_t>(count), 1, &(*record)[6]);
}

}  // namespace scalesim
