#include "common/decimal_text.h"

namespace common {

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

int LeadingDecimalValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int value = 0;
  for (; i < text.size() && IsDecimalDigit(text[i]); ++i) {
    value = value > (kLeadingDecimalLimit - 9) / 10 ? kLeadingDecimalLimit : value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

}  // namespace common
