// The line that first gave each PLU number of a price list, so that a later
// line giving the number again can name it. Memory grows with the lines
// read, however the PLU numbers are spread. While the numbers are dense (as
// a list numbered 1, 2, 3... is) the lines stand in a table indexed by the
// number, four bytes a number; once a number would make that table more
// than twice the size the lines need, they move to an open-addressed table
// of eight bytes an entry, at most three quarters full.
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

  // True while the lines stand in the table indexed by the number.
  bool dense() const { return dense_; }

 private:
  struct Entry {
    std::uint32_t plu_number = 0;  // 0: a free slot
    std::uint32_t line = 0;
  };
  static constexpr std::size_t kFirstCapacity = 1024;
  // The numbers the indexed table may hold beyond twice the lines noted, so
  // that a short list numbered from 1000 or so stays in it.
  static constexpr std::size_t kDenseSlack = 65536;

  // Makes room in the indexed table for plu_number, or moves to the
  // open-addressed one; false if it moved.
  bool FitDense(std::uint32_t plu_number);
  // The slot of the number, or the free slot where it belongs.
  Entry& SlotOf(std::uint32_t plu_number);
  void Grow();

  bool dense_ = true;
  std::vector<std::uint32_t> lines_by_number_;  // dense: the line of each number, 0 for none
  std::vector<Entry> entries_;                  // sparse: a power of two of them
  std::size_t used_ = 0;                        // the numbers noted
};

}  // namespace converter
