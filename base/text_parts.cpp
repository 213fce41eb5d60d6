#include "base/text_parts.h"

namespace base {

std::vector<std::string> SplitText(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::string_view::size_type begin = 0;
  for (;;) {
    const std::string_view::size_type end = text.find(separator, begin);
    parts.emplace_back(text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
    if (end == std::string_view::npos) return parts;
    begin = end + 1;
  }
}

}  // namespace base
