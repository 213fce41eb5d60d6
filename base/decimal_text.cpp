#include "base/decimal_text.h"

namespace base {
namespace {

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace


DecimalScan ScanDecimal(std::string_view text) {
  DecimalScan scan;
  std::size_t i = 0;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  scan.blanks = i > 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    scan.sign = true;
    negative = text[i++] == '-';
  }
  const std::size_t first = i;
  long long value = 0;
  for (; i < text.size() && IsDecimalDigit(text[i]); ++i) {
    value = value > (kMaxScannedDecimal - 9) / 10 ? kMaxScannedDecimal : value * 10 + (text[i] - '0');
  }
  scan.digits = i - first;
  scan.length = scan.digits > 0 ? i : 0;
  scan.value = negative ? -value : value;
  return scan;
}

int LeadingDecimalValue(std::string_view text) {
  const long long value = ScanDecimal(text).value;
  if (value > kLeadingDecimalLimit) return kLeadingDecimalLimit;
  if (value < -kLeadingDecimalLimit) return -kLeadingDecimalLimit;
  return static_cast<int>(value);
}

bool ParseDecimal(std::string_view text, long long low, long long high, long long* value, bool signed_ok) {
  const DecimalScan scan = ScanDecimal(text);
  if (scan.digits == 0 || scan.blanks || scan.length != text.size() || (scan.sign && !signed_ok)) return false;
  if (scan.value < low || scan.value > high) return false;
  *value = scan.value;
  return true;
}

}  // namespace base
