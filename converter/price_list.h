// One line of the price list "VelkoCon.txt" becomes one price-list entry, or
// is skipped (blank) or rejected with its reason.
//
// Columns, split at the run's field separator: PLU number; name; price;
// item kind (only while No Type is 0); extra number; item code. Anything
// after the item code is ignored.
#pragma once

#include <string>
#include <string_view>

namespace converter {

// Column limits of an accepted entry.
constexpr std::size_t kMaxPluNumberDigits = 8;
constexpr std::size_t kMaxNameLength = 99;       // a longer name keeps its first 99 bytes
constexpr std::size_t kMaxPriceDigits = 8;
constexpr std::size_t kMaxItemCodeDigits = 10;   // a longer item code keeps its last 10 digits
constexpr int kMaxExtraNumber = 999;
constexpr int kNoExtraNumber = -1;

// A non-blank line shorter than this, its line feed counted, is malformed.
constexpr std::size_t kMinLineLength = 5;

// Of a longer line only this many characters are kept. That is far more than
// an article's columns take; what follows the item code is ignored anyway.
constexpr std::size_t kMaxKeptLineLength = 65536;

enum class ItemKind { kWeighed, kCounted };

// Views into the line the entry was parsed from: valid while that line is.
struct PriceListEntry {
  std::string_view plu_number;  // 1 to 8 decimal digits
  std::string_view name;        // as read (after the character replacement), at most 99 bytes
  std::string_view price;       // decimal digits and at most one '.' or ',', at most 8 digits
  ItemKind kind = ItemKind::kWeighed;
  int extra_number = kNoExtraNumber;  // 0..999, or kNoExtraNumber
  std::string_view item_code;   // at most 10 decimal digits; empty gives zeros in the record
};

enum class LineResult { kEntry, kBlank, kRejected };

enum class Rejection {
  kNone,
  kTooShort,
  kTooFewColumns,
  kBadPluNumber,
  kBadPrice,
  kBadItemCode,
  kBadExtraNumber,
  kTooLong,
};

// Parses one line. line holds the line without its line feed and is changed
// in place (the bytes 0xB2, 0xB3 and '_' become 'I', 'i', 'i'); the entry
// points into it. ended_with_line_feed tells whether a line feed followed it.
// no_type: the price list has no item-kind column.
LineResult ParsePriceListLine(std::string& line, bool ended_with_line_feed, char separator, bool no_type,
                              PriceListEntry* entry, Rejection* rejection);

// True if the columns up to the item code all end (each with its separator)
// within line: a line cut after kMaxKeptLineLength characters can then be
// parsed from what was kept.
bool ColumnsEndWithin(std::string_view line, char separator, bool no_type);

// The fixed text that names a rejection's reason, without a line end.
const char* RejectionText(Rejection rejection);

}  // namespace converter
