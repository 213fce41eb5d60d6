#include "platform/code_page_pair.h"

#include <climits>
#include <cstdlib>
#include <string_view>

#include "base/decimal_text.h"

namespace platform {
namespace {

// Reads a positive decimal number at *at (after white space and a plus
// sign) that fits an int, and moves *at past it.
bool ReadPositive(const std::string& text, std::size_t* at, int* value) {
  const base::DecimalScan scan = base::ScanDecimal(std::string_view(text).substr(*at));
  if (scan.digits == 0 || scan.value <= 0 || scan.value > INT_MAX) return false;
  *value = static_cast<int>(scan.value);
  *at += scan.length;
  return true;
}

}  // namespace

bool ParseCodePagePair(const std::string& text, CodePagePair* pair) {
  std::size_t at = 0;
  CodePagePair read;
  if (!ReadPositive(text, &at, &read.ansi) || at >= text.size() || text[at] != ':') return false;
  ++at;
  if (!ReadPositive(text, &at, &read.oem) || at != text.size()) return false;
  *pair = read;
  return true;
}

CodePagesSetting ReadCodePagesVariable(CodePagePair* pair) {
  const char* value = std::getenv(kCodePagesVariable);
  if (value == nullptr || value[0] == '\0') return CodePagesSetting::kNotSet;
  return ParseCodePagePair(value, pair) ? CodePagesSetting::kSet : CodePagesSetting::kMalformed;
}

}  // namespace platform
