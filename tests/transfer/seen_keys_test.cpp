#include "transfer/seen_keys.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace transfer {
namespace {

// Keys in rising order, then more out of order than the unsorted tail takes
// before it is merged in: each is found wherever it lies, and no other.
TEST(SeenKeysTest, FindsEveryKeyInOrderOrNot) {
  constexpr std::uint32_t kLast = 20000;
  SeenKeys seen;
  seen.Insert(0);
  for (std::uint32_t key = 2; key <= kLast; key += 2) seen.Insert(key);
  EXPECT_FALSE(seen.Contains(1));
  EXPECT_FALSE(seen.Contains(kLast - 1));
  for (std::uint32_t n = 0; n < kLast / 2; ++n) seen.Insert(kLast - 1 - 2 * n);
  seen.Insert(0xFFFFFFFF);
  EXPECT_EQ(seen.size(), kLast + 2);
  for (std::uint32_t key = 0; key <= kLast; ++key) ASSERT_TRUE(seen.Contains(key)) << key;
  EXPECT_TRUE(seen.Contains(0xFFFFFFFF));
  for (std::uint32_t key : {kLast + 1, kLast + 2, std::uint32_t{0xFFFFFFFE}}) EXPECT_FALSE(seen.Contains(key)) << key;
}

}  // namespace
}  // namespace transfer
