// Letter case of ASCII text, the way the shop PC's system compares names:
// 'a' to 'z' equal 'A' to 'Z', every other byte only itself.
#pragma once

#include <string_view>

namespace common {

char UpperAscii(char c);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace common
