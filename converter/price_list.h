// One line of the price list "VelkoCon.txt" becomes one price-list entry, or
// is skipped (blank) or rejected with its reason.
//
// Columns, split at the run's field separator: PLU number; name; price;
// item kind (only while No Type is 0); extra number; item code. Anything
// after the item code is ignored. A column that begins with a double quote
// is quoted as spreadsheets write it: it runs to its closing quote, a
// doubled quote inside stands for one, and the separator inside is text.
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

// Price Decimals: the price's digits as they stand (no setting), or a
// decimal number written with 0 to 4 decimals.
constexpr int kPriceDigitsAsTheyStand = -1;
constexpr int kMaxPriceDecimals = 4;

// A non-blank line shorter than this, its line end counted, is malformed.
constexpr std::size_t kMinLineLength = 5;

// Of a longer line only this many characters are kept. That is far more than
// an article's columns take; what follows the item code is ignored anyway.
constexpr std::size_t kMaxKeptLineLength = 65536;

// A rejection message quotes at most this many bytes of the value it names.
constexpr std::size_t kMaxQuotedValue = 40;

// How the lines of a price list are written.
struct LineFormat {
  char separator = '\t';
  bool no_type = false;  // no item-kind column
  int price_decimals = kPriceDigitsAsTheyStand;
  bool ukrainian_i = false;  // the bytes 0xB2 and 0xB3 are the letters I and i of code page 1251
};

enum class ItemKind { kWeighed, kCounted };

// Views into the line the entry was parsed from: valid while that line is.
struct PriceListEntry {
  std::string_view plu_number;  // 1 to 8 decimal digits
  std::string_view name;        // as read (after the character replacement), at most 99 bytes
  std::string_view price;       // as read
  char price_digits[kMaxPriceDigits] = {};  // the record's 8 price digits
  ItemKind kind = ItemKind::kWeighed;
  int extra_number = kNoExtraNumber;  // 0..999, or kNoExtraNumber
  std::string_view item_code;   // decimal digits, of which the record keeps the last 10
  bool item_code_is_plu_number = false;  // no item code (no column, or an empty one): the PLU number serves
};

enum class LineResult { kEntry, kBlank, kRejected };

enum class RejectionReason {
  kNone,
  kTooShort,
  kTooFewColumns,
  kUnclosedQuote,
  kBadPluNumber,
  kZeroPluNumber,
  kBadPrice,
  kPriceTooLong,
  kTooManyDecimals,
  kBadItemCode,
  kBadExtraNumber,
  kTooLong,
};

// Why a line was rejected, and the value that made it so (a view into the
// line, or the line itself).
struct Rejection {
  RejectionReason reason = RejectionReason::kNone;
  std::string_view value;
};

// Parses one line. line holds the line without its line end and is changed
// in place ('_' becomes 'i', and with format.ukrainian_i the bytes 0xB2 and
// 0xB3 'I' and 'i'; quoted columns lose their quotes); the entry points into
// it. ended tells whether a line end followed it. A line whose every column
// is empty (blanks, "") is blank. A price with more decimals than
// format.price_decimals that is less than 1e-9 away from a price with those
// decimals (floating-point noise: 44.369999999999999) is rounded to it.
LineResult ParsePriceListLine(std::string& line, bool ended, const LineFormat& format, PriceListEntry* entry,
                              Rejection* rejection);

// True if the line has at least three columns for the separator (quoted
// separators not counted).
bool HasThreeColumns(std::string_view line, char separator);

// Where the quoted column that is still open at the line's end begins,
// looking at the columns from the column start `from` on; npos if every
// quote is closed. A spreadsheet cell with a line end in it is written so.
std::size_t OpenQuoteAt(std::string_view line, char separator, std::size_t from = 0);

// How the quoted column that begins at begin ends: still open at the line's
// end, closed by a quote that a separator or the line's end follows, or
// closed by a quote that more text follows.
enum class QuoteEnd { kOpen, kClosed, kClosedAmidText };
QuoteEnd EndOfQuote(std::string_view line, std::size_t begin, char separator);

// True if the columns up to the item code all end (each with its separator)
// within line: a line cut after kMaxKeptLineLength characters can then be
// parsed from what was kept.
bool ColumnsEndWithin(std::string_view line, const LineFormat& format);

// True for a line that names the columns instead of holding an article: at
// least three columns, a PLU column without a digit and a price column that
// is no number ("PLU;Name;Price").
bool IsHeaderLine(std::string_view line, const LineFormat& format);

// The rejection in words, its value quoted: price "Ham" is not a number.
std::string DescribeRejection(const Rejection& rejection, const LineFormat& format);

// A value as messages quote it: in double quotes, cut to kMaxQuotedValue
// bytes (then followed by "..."), control bytes, quotes and backslashes
// escaped.
std::string QuotedValue(std::string_view value);

}  // namespace converter
