// Cutting a text at a separator character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace base {

// The parts between the separators, in order, empty ones too: "a;;b" gives
// "a", "", "b"; "" gives one empty part.
std::vector<std::string> SplitText(std::string_view text, char separator);

}  // namespace base
