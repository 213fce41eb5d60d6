#include "platform/code_page_pair.h"

#include <climits>
#include <cstdlib>

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Reads a positive decimal number at *at (after blanks and a plus sign)
// that fits an int, and moves *at past it.
bool ReadPositive(const std::string& text, std::size_t* at, int* value) {
  std::size_t i = *at;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  std::size_t first = i;
  long long number = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    number = number * 10 + (text[i] - '0');
    if (number > INT_MAX) return false;
  }
  if (i == first || number == 0) return false;
  *value = static_cast<int>(number);
  *at = i;
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
