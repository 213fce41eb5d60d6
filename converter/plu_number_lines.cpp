#include "converter/plu_number_lines.h"

#include <algorithm>
#include <limits>

namespace converter {

bool PluNumberLines::FitDense(std::uint32_t plu_number) {
  const std::size_t needed = static_cast<std::size_t>(plu_number) + 1;
  if (needed <= lines_by_number_.size()) return true;
  const std::size_t size = std::max(needed, 2 * lines_by_number_.size());
  if (size <= 2 * (used_ + 1) + kDenseSlack) {
    lines_by_number_.resize(size, 0);
    return true;
  }
  // Too sparse: every number noted moves to the open-addressed table.
  dense_ = false;
  std::vector<std::uint32_t> lines;
  lines.swap(lines_by_number_);
  for (std::size_t n = 1; n < lines.size(); ++n) {
    if (lines[n] == 0) continue;
    if (4 * (used_ + 1) > 3 * entries_.size()) Grow();
    SlotOf(static_cast<std::uint32_t>(n)) = Entry{static_cast<std::uint32_t>(n), lines[n]};
  }
  return false;
}

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
  const bool noted = line > 0 && line <= std::numeric_limits<std::uint32_t>::max();
  if (dense_ && FitDense(plu_number)) {
    std::uint32_t& slot = lines_by_number_[plu_number];
    if (slot != 0) return slot;
    if (!noted) return 0;
    slot = static_cast<std::uint32_t>(line);
    ++used_;
    return 0;
  }
  if (4 * (used_ + 1) > 3 * entries_.size()) Grow();
  Entry& slot = SlotOf(plu_number);
  if (slot.plu_number != 0) return slot.line;
  if (!noted) return 0;
  slot = Entry{plu_number, static_cast<std::uint32_t>(line)};
  ++used_;
  return 0;
}

}  // namespace converter
