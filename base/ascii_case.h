// Letter case of ASCII text, the way the shop PC's system compares names:
// 'a' to 'z' equal 'A' to 'Z', every other byte only itself.
#pragma once

#include <string_view>

namespace base {

char UpperAscii(char c);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// True if text begins with prefix, ignoring case.
bool StartsIgnoringCase(std::string_view text, std::string_view prefix);

}  // namespace base
