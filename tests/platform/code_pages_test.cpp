// What platform/code_pages.h promises on every platform: a table of 256
// bytes in which ASCII stands for itself, and an ANSI code page whose ASCII
// bytes are the Unicode characters of the same number.
#include "platform/code_pages.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePagesTest, AsciiMapsToItself) {
  unsigned char table[256];
  {
    auto status = platform::BuildAnsiToOemTable(table);
    ASSERT_TRUE(status.ok()) << status.message();
  }
  for (int b = 0; b < 128; ++b) EXPECT_EQ(table[b], b) << b;
}

TEST(CodePagesTest, AnsiCodePageKeepsAscii) {
  platform::AnsiCodePage code_page;
  {
    auto status = platform::ReadAnsiCodePage(&code_page);
    ASSERT_TRUE(status.ok()) << status.message();
  }
  EXPECT_GT(code_page.number, 0);
  for (int b = 0; b < 128; ++b) EXPECT_EQ(code_page.characters[b], static_cast<std::uint32_t>(b)) << b;
}

}  // namespace
