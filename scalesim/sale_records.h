// The records a sale leaves at a scale, in the layouts the converter's
// reports read (all numbers packed decimal unless said otherwise):
//
// Transaction, file code 0x2E, 29 bytes, one per sale:
//   0-3 ticket number | 4-5 length (00 1D) | 6-9 PLU number | 10-13 weight in
//   grams (0 for a counted item) | 14-17 pieces (0 for a weighed item) |
//   18-19 clerk | 20-23 amount in cents | 24-26 date DDMMYY | 27-28 time HHMM
//
// PLU totals, file code 0x26, 109 bytes, one per PLU sold:
//   0-3 PLU number | 4-5 length (00 6D) | 6-12 barcode: prefix byte and the
//   six bytes of the item-code field (14 digits) | 13 01 counted, 00 weighed |
//   14-15 group | then for each clerk c = 1..5 at byte 16 + 18 (c - 1):
//   +0 sales (4 bytes) | +4 grams (4) | +8 clerk number (2) | +10 pieces (4) |
//   +14 amount in cents (4) | 106-108 date of the last sale DDMMYY
//
// Group totals, file code 0x24, 83 bytes, one per group (PLU number / 10 mod
// 100, group 1 for 0):
//   0-3 group | 4-5 length (00 53) | 6 PLUs of the group with totals (0-99) |
//   7 00 | 8-43 weighed items, 44-79 counted items, each nine 4-byte fields:
//   sales, grams, pieces, amount in cents, amount of clerks 1 to 5 |
//   80-82 date of the last sale DDMMYY
//
// Clerk totals, file code 0x45, and store totals, file code 0x46 (key 1),
// 25 bytes each:
//   0-3 clerk (store: 1) | 4-5 length (00 19) | 6-9 sales | 10-13 grams |
//   14-17 pieces | 18-21 amount in cents | 22-24 date of the last sale DDMMYY
//
// Real-time buffer, file code 0x51, 364 bytes, one per sale, the newest
// kRealTimeCapacity sales:
//   0-3 ticket number | 4-5 length (01 6C) | 6 01 counted, 00 weighed |
//   10-13 PLU number | 18-21 grams | 22-25 pieces | 26-29 unit price in cents
//   (per kilogram for a weighed item) | 42-45 amount in cents |
//   80-82 date DDMMYY | 100-103 group | 359 clerk (binary) |
//   360-363 time HHMMSS and 00 hundredths; every other byte 00.
#pragma once

#include <cstdint>

#include "scalesim/plu_record.h"
#include "scalesim/sale_clock.h"
#include "scalesim/store.h"

namespace scalesim {

constexpr std::size_t kTransactionLength = 29;
constexpr std::size_t kPluTotalsLength = 109;
constexpr std::size_t kGroupTotalsLength = 83;
constexpr std::size_t kCounterTotalsLength = 25;
constexpr std::size_t kRealTimeLength = 364;
constexpr std::size_t kRealTimeCapacity = 1000;
constexpr int kClerks = 5;
constexpr Key kStoreTotalsKey = 1;

struct Sale {
  std::uint64_t ticket = 0;
  Key plu_key = 0;
  std::uint64_t plu_number = 0;
  bool counted = false;
  std::uint64_t grams = 0;
  std::uint64_t pieces = 0;
  std::uint64_t unit_price = 0;
  std::uint64_t amount = 0;
  int clerk = 1;  // 1..kClerks
  std::uint64_t group = 0;
  DateTime when;
  std::uint8_t barcode[kBarcodeLength] = {};  // prefix byte and the item-code field
};

// The key of the totals of a group or a clerk: the number, packed decimal.
Key PackedKey(std::uint64_t number);

Record TransactionRecord(const Sale& sale);
Record RealTimeRecord(const Sale& sale);

// Adds the sale to a totals record, creating it when it is empty.
void AddToPluTotals(const Sale& sale, Record* record);
void AddToGroupTotals(const Sale& sale, Record* record);
void AddToCounterTotals(const Sale& sale, Key key, Record* record);

// Sets the count of PLUs in a group totals record.
void SetGroupPluCount(int count, Record* record);

// The group of a PLU totals record; false if the record has not the layout.
bool ReadPluTotalsGroup(const Record& record, std::uint64_t* group);

// The ticket number and the date and time of a real-time buffer record, as
// they stand (the date may be no calendar date); false if the record has not
// the layout.
bool ReadRealTimeRecord(const Record& record, std::uint64_t* ticket, DateTime* when);

}  // namespace scalesim
