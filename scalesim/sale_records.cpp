#include "scalesim/sale_records.h"

#include "scalesim/packed_decimal.h"

namespace scalesim {
namespace {

// Field widths in bytes.
constexpr std::size_t kKeyLength = 4;
constexpr std::size_t kNumberLength = 4;  // counts, grams, pieces, amounts, PLU numbers
constexpr std::size_t kDateLength = 3;    // DDMMYY
constexpr std::size_t kClerkLength = 2;
constexpr std::size_t kGroupLength = 2;   // in the PLU totals
constexpr std::size_t kHourMinuteLength = 2;  // HHMM
constexpr std::size_t kTimeLength = 4;    // HHMMSS00

// Transaction.
constexpr std::size_t kTransactionPluAt = 6;
constexpr std::size_t kTransactionGramsAt = 10;
constexpr std::size_t kTransactionPiecesAt = 14;
constexpr std::size_t kTransactionClerkAt = 18;
constexpr std::size_t kTransactionAmountAt = 20;
constexpr std::size_t kTransactionDateAt = 24;
constexpr std::size_t kTransactionTimeAt = 27;

// Real-time buffer.
constexpr std::size_t kRealTimeCountedAt = 6;
constexpr std::size_t kRealTimePluAt = 10;
constexpr std::size_t kRealTimeGramsAt = 18;
constexpr std::size_t kRealTimePiecesAt = 22;
constexpr std::size_t kRealTimeUnitPriceAt = 26;
constexpr std::size_t kRealTimeAmountAt = 42;
constexpr std::size_t kRealTimeDateAt = 80;
constexpr std::size_t kRealTimeGroupAt = 100;
constexpr std::size_t kRealTimeClerkAt = 359;
constexpr std::size_t kRealTimeTimeAt = 360;

// PLU totals: one group of fields per clerk from kPluTotalsClerkAt.
constexpr std::size_t kPluTotalsBarcodeAt = 6;
constexpr std::size_t kPluTotalsCountedAt = 13;
constexpr std::size_t kPluTotalsGroupAt = 14;
constexpr std::size_t kPluTotalsClerkAt = 16;
constexpr std::size_t kPluTotalsClerkSize = 18;
constexpr std::size_t kClerkSalesAt = 0;
constexpr std::size_t kClerkGramsAt = 4;
constexpr std::size_t kClerkNumberAt = 8;
constexpr std::size_t kClerkPiecesAt = 10;
constexpr std::size_t kClerkAmountAt = 14;
constexpr std::size_t kPluTotalsDateAt = 106;

// Group totals: one block of nine fields for weighed items, one for counted.
constexpr std::size_t kGroupPluCountAt = 6;
constexpr std::size_t kGroupPluCountLength = 1;
constexpr std::size_t kGroupWeighedAt = 8;
constexpr std::size_t kGroupCountedAt = 44;
constexpr std::size_t kBlockSalesAt = 0;
constexpr std::size_t kBlockGramsAt = 4;
constexpr std::size_t kBlockPiecesAt = 8;
constexpr std::size_t kBlockAmountAt = 12;
constexpr std::size_t kBlockClerkAmountsAt = 16;
constexpr std::size_t kGroupDateAt = 80;
constexpr int kMaxGroupPluCount = 99;

// Clerk and store totals.
constexpr std::size_t kCounterSalesAt = 6;
constexpr std::size_t kCounterGramsAt = 10;
constexpr std::size_t kCounterPiecesAt = 14;
constexpr std::size_t kCounterAmountAt = 18;
constexpr std::size_t kCounterDateAt = 22;

Record NewRecord(Key key, std::size_t length) {
  Record record(length, 0);
  PutKey(key, record.data());
  record[4] = static_cast<std::uint8_t>(length >> 8);
  record[5] = static_cast<std::uint8_t>(length & 0xFF);
  return record;
}

// Adds value to the 4-byte packed field at `at`.
void Add4(std::uint8_t* record, std::size_t at, std::uint64_t value) {
  PutPacked(GetPacked(record + at, kNumberLength) + value, kNumberLength, record + at);
}

void PutDate(const DateTime& when, std::uint8_t* at) { PutPacked(DateNumber(when), kDateLength, at); }

}  // namespace

Key PackedKey(std::uint64_t number) {
  std::uint8_t bytes[kKeyLength];
  PutPacked(number, kKeyLength, bytes);
  return KeyOf(bytes);
}

Record TransactionRecord(const Sale& sale) {
  Record r = NewRecord(PackedKey(sale.ticket), kTransactionLength);
  PutPacked(sale.plu_number, kNumberLength, &r[kTransactionPluAt]);
  PutPacked(sale.grams, kNumberLength, &r[kTransactionGramsAt]);
  PutPacked(sale.pieces, kNumberLength, &r[kTransactionPiecesAt]);
  PutPacked(static_cast<std::uint64_t>(sale.clerk), kClerkLength, &r[kTransactionClerkAt]);
  PutPacked(sale.amount, kNumberLength, &r[kTransactionAmountAt]);
  PutDate(sale.when, &r[kTransactionDateAt]);
  PutPacked(TimeNumber(sale.when) / 100, kHourMinuteLength, &r[kTransactionTimeAt]);
  return r;
}

Record RealTimeRecord(const Sale& sale) {
  Record r = NewRecord(PackedKey(sale.ticket), kRealTimeLength);
  r[kRealTimeCountedAt] = sale.counted ? 1 : 0;
  PutPacked(sale.plu_number, kNumberLength, &r[kRealTimePluAt]);
  PutPacked(sale.grams, kNumberLength, &r[kRealTimeGramsAt]);
  PutPacked(sale.pieces, kNumberLength, &r[kRealTimePiecesAt]);
  PutPacked(sale.unit_price, kNumberLength, &r[kRealTimeUnitPriceAt]);
  PutPacked(sale.amount, kNumberLength, &r[kRealTimeAmountAt]);
  PutDate(sale.when, &r[kRealTimeDateAt]);
  PutPacked(sale.group, kNumberLength, &r[kRealTimeGroupAt]);
  r[kRealTimeClerkAt] = static_cast<std::uint8_t>(sale.clerk);
  PutPacked(TimeNumber(sale.when) * 100, kTimeLength, &r[kRealTimeTimeAt]);
  return r;
}

void AddToPluTotals(const Sale& sale, Record* record) {
  if (record->size() != kPluTotalsLength) {
    *record = NewRecord(sale.plu_key, kPluTotalsLength);
    for (int c = 1; c <= kClerks; ++c) {
      std::size_t at = kPluTotalsClerkAt + kPluTotalsClerkSize * static_cast<std::size_t>(c - 1);
      PutPacked(static_cast<std::uint64_t>(c), kClerkLength, &(*record)[at + kClerkNumberAt]);
    }
  }
  std::uint8_t* r = record->data();
  for (std::size_t i = 0; i < kBarcodeLength; ++i) r[kPluTotalsBarcodeAt + i] = sale.barcode[i];
  r[kPluTotalsCountedAt] = sale.counted ? 1 : 0;
  PutPacked(sale.group, kGroupLength, r + kPluTotalsGroupAt);
  std::size_t at = kPluTotalsClerkAt + kPluTotalsClerkSize * static_cast<std::size_t>(sale.clerk - 1);
  Add4(r, at + kClerkSalesAt, 1);
  Add4(r, at + kClerkGramsAt, sale.grams);
  Add4(r, at + kClerkPiecesAt, sale.pieces);
  Add4(r, at + kClerkAmountAt, sale.amount);
  PutDate(sale.when, r + kPluTotalsDateAt);
}

void AddToGroupTotals(const Sale& sale, Record* record) {
  if (record->size() != kGroupTotalsLength) *record = NewRecord(PackedKey(sale.group), kGroupTotalsLength);
  std::uint8_t* r = record->data();
  std::size_t at = sale.counted ? kGroupCountedAt : kGroupWeighedAt;
  Add4(r, at + kBlockSalesAt, 1);
  Add4(r, at + kBlockGramsAt, sale.grams);
  Add4(r, at + kBlockPiecesAt, sale.pieces);
  Add4(r, at + kBlockAmountAt, sale.amount);
  Add4(r, at + kBlockClerkAmountsAt + kNumberLength * static_cast<std::size_t>(sale.clerk - 1), sale.amount);
  PutDate(sale.when, r + kGroupDateAt);
}

void AddToCounterTotals(const Sale& sale, Key key, Record* record) {
  if (record->size() != kCounterTotalsLength) *record = NewRecord(key, kCounterTotalsLength);
  std::uint8_t* r = record->data();
  Add4(r, kCounterSalesAt, 1);
  Add4(r, kCounterGramsAt, sale.grams);
  Add4(r, kCounterPiecesAt, sale.pieces);
  Add4(r, kCounterAmountAt, sale.amount);
  PutDate(sale.when, r + kCounterDateAt);
}

void SetGroupPluCount(int count, Record* record) {
  if (record->size() != kGroupTotalsLength) return;
  if (count > kMaxGroupPluCount) count = kMaxGroupPluCount;
  PutPacked(static_cast<std::uint64_t>(count), kGroupPluCountLength, &(*record)[kGroupPluCountAt]);
}

bool ReadPluTotalsGroup(const Record& record, std::uint64_t* group) {
  if (record.size() != kPluTotalsLength) return false;
  *group = GetPacked(&record[kPluTotalsGroupAt], kGroupLength);
  return true;
}

bool ReadRealTimeRecord(const Record& record, std::uint64_t* ticket, DateTime* when) {
  if (record.size() != kRealTimeLength) return false;
  *ticket = GetPacked(record.data(), kKeyLength);
  std::uint64_t date = GetPacked(&record[kRealTimeDateAt], kDateLength);    // DDMMYY
  std::uint64_t time = GetPacked(&record[kRealTimeTimeAt], kTimeLength) / 100;  // HHMMSS
  when->day = static_cast<int>(date / 10000);
  when->month = static_cast<int>(date / 100 % 100);
  when->year = 2000 + static_cast<int>(date % 100);
  when->hour = static_cast<int>(time / 10000);
  when->minute = static_cast<int>(time / 100 % 100);
  when->second = static_cast<int>(time % 100);
  return true;
}

}  // namespace scalesim
