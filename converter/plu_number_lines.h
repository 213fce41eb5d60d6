// The line that first gave each PLU number of a price list, so that a later
// line giving the number again can name it. Memory grows with the lines
// read, however the PLU numbers are spread: an open-addressed table of eight
// bytes an entry, at most three quarters full.
#pragma once

#include <cstdint>
#include <vector>

namespace converter {

class PluNumberLines {
 public:
  // Notes that line (counted from 1) gives plu_number (1 or more); returns
  // the earlier line that gave it, or 0 if none did. Lines beyond 4294967295
  // are not noted.
  long long Note(std::uint32_t plu_number, long long line);

 private:
  struct Entry {
    std::uint32_t plu_number = 0;  // 0: a free slot
    std::uint32_t line = 0;
  };
  static constexpr std::size_t kFirstCapacity = 1024;

  // The slot of the number, or the free slot where it belongs.
  Entry& SlotOf(std::uint32_t plu_number);
  void Grow();

  std::vector<Entry> entries_;  // a power of two of them, or none yet
  std::size_t used_ = 0;
};

}  // namespace converter
