// The record keys a read has been handed so far. A scale that hands out a key
// a second time (asked for the records after it again and again, or cycling
// through a few) would keep a read going for ever; the read ends there.
//
// Memory: four bytes a key, and at most twelve while the store grows. A
// scale hands its records out in rising key order, and those keys are only
// appended; a key out of order waits in a short unsorted tail that is merged
// in when it fills.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace transfer {

class SeenKeys {
 public:
  bool Contains(std::uint32_t key) const;
  void Insert(std::uint32_t key);
  std::size_t size() const { return keys_.size(); }

 private:
  static constexpr std::size_t kMaxTail = 1024;
  std::vector<std::uint32_t> keys_;  // [0, sorted_) ascending, then the tail in arrival order
  std::size_t sorted_ = 0;
};

}  // namespace transfer
