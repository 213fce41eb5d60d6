// The emulator's pure logic: framing by shape, answers, packed decimal and
// the sales clock.
#include <gtest/gtest.h>

#include "raw_client.h"
#include "scalesim/packed_decimal.h"
#include "scalesim/protocol.h"
#include "scalesim/sale_clock.h"
#include "scalesim/store.h"

namespace {

using scalesim::FrameKind;
using scalesim_test::FromHex;

TEST(FrameRequestTest, FramesByShape) {
  struct Case {
    const char* hex;
    FrameKind kind;
    std::size_t length;
  };
  const Case cases[] = {
      {"", FrameKind::kNeedMore, 0},
      {"F1", FrameKind::kNeedMore, 0},
      {"F12500000001", FrameKind::kNeedMore, 0},
      {"F1250000000100", FrameKind::kNeedMore, 0},
      {"F125000000010007", FrameKind::kNeedMore, 0},
      {"F12500000001000755", FrameKind::kRequest, 9},
      {"F12500000001000755F7", FrameKind::kRequest, 9},   // the next request follows
      {"F1250000000100075501", FrameKind::kBadLength, 10},  // the record is longer than its length
      {"F125000000010005", FrameKind::kBadLength, 8},
      {"F125000000010000AABB", FrameKind::kBadLength, 10},
      {"F12500000001180000", FrameKind::kBadLength, 9},
      {"F125000000011800", FrameKind::kBadLength, 8},
      {"F2", FrameKind::kNeedMore, 0},
      {"F225F2", FrameKind::kRequest, 2},
      {"F3250000", FrameKind::kNeedMore, 0},
      {"F32500000001F3", FrameKind::kRequest, 6},
      {"F72500000001", FrameKind::kRequest, 6},
      {"E2", FrameKind::kUnknown, 1},
      {"06F7", FrameKind::kUnknown, 1},
  };
  for (const Case& c : cases) {
    auto bytes = FromHex(c.hex);
    scalesim::Frame frame = scalesim::FrameRequest(bytes.data(), bytes.size());
    EXPECT_EQ(frame.kind, c.kind) << c.hex;
    if (c.kind != FrameKind::kNeedMore) {
      EXPECT_EQ(frame.length, c.length) << c.hex;
    }
  }
}

TEST(FrameRequestTest, LongestRecordFrames) {
  std::vector<std::uint8_t> packet(2 + 6143, 0);
  packet[0] = 0xF1;
  packet[6] = 0x17;
  packet[7] = 0xFF;
  EXPECT_EQ(scalesim::FrameRequest(packet.data(), packet.size() - 1).kind, FrameKind::kNeedMore);
  scalesim::Frame frame = scalesim::FrameRequest(packet.data(), packet.size());
  EXPECT_EQ(frame.kind, FrameKind::kRequest);
  EXPECT_EQ(frame.length, packet.size());
}

TEST(StoreTextTest, SkipsLinesThatHoldNoRecord) {
  scalesim::Store store;
  int skipped = scalesim::ParseStoreText(
      "25 0000000100070A\n"
      "25 0000000100080A\n"   // length field disagrees
      "2E 00000002000700\n"
      "zz 0000000300070A\n"
      "25 000000010007\n"     // too short
      "\n"
      "24 0000000500060", &store);  // odd digits
  EXPECT_EQ(skipped, 4);
  EXPECT_EQ(scalesim::StoreText(store), "25 0000000100070A\n2E 00000002000700\n");
}

TEST(PackedDecimalTest, WritesAndReadsDigits) {
  std::uint8_t bytes[4];
  scalesim::PutPacked(1250, 4, bytes);
  EXPECT_EQ(scalesim_test::ToHex({bytes, bytes + 4}), "00001250");
  scalesim::PutPacked(123456789, 4, bytes);  // keeps the lowest eight digits
  EXPECT_EQ(scalesim_test::ToHex({bytes, bytes + 4}), "23456789");
  EXPECT_EQ(scalesim::GetPacked(bytes, 4), 23456789u);
  std::uint8_t letters[2] = {0x1A, 0xB2};
  EXPECT_EQ(scalesim::GetPacked(letters, 2), 1002u);
}

TEST(SaleClockTest, CountsCalendarDays) {
  struct Case {
    scalesim::DateTime when;
    std::uint64_t date;
  };
  const Case cases[] = {
      {{2000, 1, 1, 0, 0, 0}, 10100},
      {{2026, 12, 7, 8, 0, 0}, 71226},
      {{2028, 2, 29, 23, 59, 59}, 290228},
      {{2026, 12, 31, 19, 30, 5}, 311226},
  };
  for (const Case& c : cases) {
    std::int64_t seconds = scalesim::ToSeconds(c.when);
    scalesim::DateTime back = scalesim::ToDateTime(seconds);
    EXPECT_EQ(scalesim::DateNumber(back), c.date);
    EXPECT_EQ(scalesim::TimeNumber(back), static_cast<std::uint64_t>(c.when.hour * 10000 + c.when.minute * 100 + c.when.second));
    EXPECT_NE(scalesim::DateNumber(scalesim::ToDateTime(seconds + 86400)), c.date);
  }
  EXPECT_EQ(scalesim::DateNumber(scalesim::ToDateTime(scalesim::ToSeconds({2026, 12, 31, 12, 0, 0}) + 86400)), 10127u);
}

}  // namespace
