// The progress line: on a terminal, one line per transfer that keeps itself
// up to date; nothing when the error stream is redirected.
#include "support/shop.h"

namespace transfer_tests {
namespace {

using XferlnkProgressTest = testing_support::ShopTest;

TEST_F(XferlnkProgressTest, OnlyOnATerminal) {
  ASSERT_TRUE(StartScales());
  std::string records;
  for (int key = 1; key <= 50; ++key) {
    char record[16];
    std::snprintf(record, sizeof record, "%08d0006", key);
    records += record;
  }
  Write("QS001F25.DAT", records);
  // script(1) gives the program a pseudo-terminal and copies what it writes.
  auto on_terminal = Shell("script -qec '\"$XFERLNK\" F25.DAT 1' /dev/null");
  EXPECT_EQ(on_terminal.status, 0) << on_terminal.err;
  EXPECT_NE(on_terminal.out.find("\rxferlnk: scale 1 (S0001:2001): 50 of 50 records, "), std::string::npos)
      << on_terminal.out;
  auto redirected = Transfer({"F25.DAT", "1"});
  EXPECT_EQ(redirected.status, 0);
  EXPECT_EQ(redirected.err, "");
}

}  // namespace
}  // namespace transfer_tests
