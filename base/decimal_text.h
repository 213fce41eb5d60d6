// Decimal numbers in text: the one reader every setting, table and command
// line goes through.
#pragma once

#include <cstddef>
#include <string_view>

namespace base {

// True for 0-9. Inline: the report and price-list loops ask it of every
// character.
inline bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// The largest magnitude a scan gives; longer digit runs stay at it.
constexpr long long kMaxScannedDecimal = 999999999999999999LL;

// What the C library's atoi would read at the start of text: white space
// (blank, TAB to CR), one optional sign, decimal digits up to the first
// other character.
struct DecimalScan {
  std::size_t length = 0;  // characters read, the white space, sign and digits
  std::size_t digits = 0;  // of them digits
  bool blanks = false;     // white space came first
  bool sign = false;       // a sign came before the digits
  long long value = 0;     // negative after '-'; no digits give 0
};
DecimalScan ScanDecimal(std::string_view text);

// The scan's value as atoi gives it, bounded: magnitudes beyond
// kLeadingDecimalLimit stay at it.
constexpr int kLeadingDecimalLimit = 999999999;
int LeadingDecimalValue(std::string_view text);

// True and the value if text is a whole decimal number from low to high:
// digits only, or, with signed_ok, digits after one '+' or '-'; nothing
// before or after them.
bool ParseDecimal(std::string_view text, long long low, long long high, long long* value, bool signed_ok = false);

}  // namespace base
