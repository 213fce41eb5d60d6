#include "converter/plu_number_lines.h"

#include <limits>

namespace converter {

long long PluNumberLines::Note(std::uint32_t plu_number, long long line) {
  const std::uint32_t key = plu_number / kPageNumbers;
  if (last_page_ == nullptr || key != last_key_) {
    Page*& page = pages_[key];
    if (page == nullptr) page = &storage_.emplace_back(Page{});
    last_key_ = key;
    last_page_ = page;
  }
  std::uint32_t& first = (*last_page_)[plu_number % kPageNumbers];
  if (first != 0) return first;
  if (line > 0 && line <= std::numeric_limits<std::uint32_t>::max()) first = static_cast<std::uint32_t>(line);
  return 0;
}

}  // namespace converter
