// What platform/code_pages.h promises on every platform: a table of 256
// bytes in which ASCII stands for itself.
#include "platform/code_pages.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePagesTest, AsciiMapsToItself) {
  unsigned char table[256];
  std::string problem;
  ASSERT_TRUE(platform::BuildAnsiToOemTable(table, &problem)) << problem;
  for (int b = 0; b < 128; ++b) EXPECT_EQ(table[b], b) << b;
}

}  // namespace
