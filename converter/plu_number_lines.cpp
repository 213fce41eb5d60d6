#include "converter/plu_number_lines.h"

#include <limits>

namespace converter {

PluNumberLines::Entry& PluNumberLines::SlotOf(std::uint32_t plu_number) {
  const std::size_t mask = entries_.size() - 1;
  // Fibonacci hashing spreads neighbouring numbers over the table.
  std::size_t at = static_cast<std::size_t>((plu_number * 0x9E3779B97F4A7C15ull) >> 32) & mask;
  while (entries_[at].plu_number != 0 && entries_[at].plu_number != plu_number) at = (at + 1) & mask;
  return entries_[at];
}

void PluNumberLines::Grow() {
  std::vector<Entry> old(entries_.empty() ? kFirstCapacity : 2 * entries_.size());
  old.swap(entries_);
  for (const Entry& entry : old) {
    if (entry.plu_number != 0) SlotOf(entry.plu_number) = entry;
  }
}

long long PluNumberLines::Note(std::uint32_t plu_number, long long line) {
  if (4 * (used_ + 1) > 3 * entries_.size()) Grow();
  Entry& slot = SlotOf(plu_number);
  if (slot.plu_number != 0) return slot.line;
  if (line <= 0 || line > std::numeric_limits<std::uint32_t>::max()) return 0;
  slot.plu_number = plu_number;
  slot.line = static_cast<std::uint32_t>(line);
  ++used_;
  return 0;
}

}  // namespace converter
