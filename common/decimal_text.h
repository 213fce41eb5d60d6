// Reading a whole number the way the C library's atoi does, but bounded:
// leading white space, one optional sign, decimal digits up to the first
// other character; no digits give 0.
#pragma once

#include <string_view>

namespace common {

// The largest magnitude LeadingDecimalValue gives; longer digit runs stay at it.
constexpr int kLeadingDecimalLimit = 999999999;

int LeadingDecimalValue(std::string_view text);

// True for 0-9.
bool IsDecimalDigit(char c);

}  // namespace common
