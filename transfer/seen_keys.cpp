#include "transfer/seen_keys.h"

#include <algorithm>

namespace transfer {

bool SeenKeys::Contains(std::uint32_t key) const {
  auto sorted_end = keys_.begin() + static_cast<std::ptrdiff_t>(sorted_);
  if (std::binary_search(keys_.begin(), sorted_end, key)) return true;
  return std::find(sorted_end, keys_.end(), key) != keys_.end();
}

void SeenKeys::Insert(std::uint32_t key) {
  const bool in_order = sorted_ == keys_.size() && (keys_.empty() || key > keys_.back());
  keys_.push_back(key);
  if (in_order) {
    ++sorted_;
    return;
  }
  if (keys_.size() - sorted_ < kMaxTail) return;
  auto sorted_end = keys_.begin() + static_cast<std::ptrdiff_t>(sorted_);
  std::sort(sorted_end, keys_.end());
  std::inplace_merge(keys_.begin(), sorted_end, keys_.end());
  sorted_ = keys_.size();
}

}  // namespace transfer
