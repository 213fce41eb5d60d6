// The line that first gave each PLU number of a price list, so that a later
// line giving the number again can name it. Memory grows with the number of
// PLU numbers, not with the lines.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <unordered_map>

namespace converter {

class PluNumberLines {
 public:
  // Notes that line (counted from 1) gives plu_number; returns the earlier
  // line that gave it, or 0 if none did. Lines beyond 4294967295 are not
  // noted.
  long long Note(std::uint32_t plu_number, long long line);

 private:
  // The lines of 32 neighbouring PLU numbers (0: not given). Price lists
  // mostly number their articles in runs, so a page is mostly full: about
  // four bytes a PLU number, where a map entry per number would take ten
  // times that.
  static constexpr std::uint32_t kPageNumbers = 32;
  using Page = std::array<std::uint32_t, kPageNumbers>;

  std::unordered_map<std::uint32_t, Page*> pages_;  // by PLU number / 32
  std::deque<Page> storage_;                        // the pages; they never move
  std::uint32_t last_key_ = 0;
  Page* last_page_ = nullptr;
};

}  // namespace converter
