// The emulator's pure logic: framing by shape, answers, packed decimal, the
// sales clock, and what the request faults make of a request.
#include <gtest/gtest.h>

#include "raw_client.h"
#include "scalesim/packed_decimal.h"
#include "scalesim/protocol.h"
#include "scalesim/request_faults.h"
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

TEST(RequestFaultsTest, AlterPluPriceGivesAnotherValidPrice) {
  struct Case {
    const char* price;  // record bytes 11-14, hex
    const char* altered;
  };
  const Case cases[] = {
      {"00001250", "00001251"},
      {"00000099", "00000100"},
      {"99999999", "00000000"},  // wraps
      {"0000001A", "00000011"},  // a nibble above 9 counts as 0: 10 + 1
      {"FFFFFFFF", "00000001"},
  };
  for (const Case& c : cases) {
    auto record = FromHex(std::string("0000000100100000000000") + c.price + "11");
    ASSERT_TRUE(scalesim::AlterPluPrice(record.data(), record.size())) << c.price;
    EXPECT_EQ(scalesim_test::ToHex(record), std::string("0000000100100000000000") + c.altered + "11") << c.price;
  }
  auto short_record = FromHex("00000001000E0000000000001250");  // 14 bytes: no room for byte 14
  ASSERT_EQ(short_record.size(), 14u);
  auto before = short_record;
  EXPECT_FALSE(scalesim::AlterPluPrice(short_record.data(), short_record.size()));
  EXPECT_EQ(short_record, before);
}

TEST(RequestFaultsTest, DecidesWhatBecomesOfEachRequest) {
  using Fate = scalesim::RequestFate;
  struct Step {
    const char* request;  // hex
    Fate fate;
    std::uint64_t plu_records;  // the scale's count after it
  };
  struct Case {
    const char* name;
    scalesim::Faults faults;
    std::vector<Step> steps;  // requests 1, 2, 3... of one connection
  };
  scalesim::Faults alter2, drop3, both, nak, nak_keys, nak_and_alter;
  alter2.alter_plu = 2;
  drop3.drop_plu = 3;
  both.alter_plu = 2;
  both.drop_plu = 3;
  nak.nak_requests = {2, 4};
  nak_keys.nak_keys = true;
  nak_and_alter.nak_requests = {1};
  nak_and_alter.alter_plu = 1;
  const char* plu = "F1250000000100070A";
  const char* totals = "F1260000000100070A";
  const Case cases[] = {
      {"no faults", {}, {{plu, Fate::kCarryOut, 1}, {"F32500000001", Fate::kCarryOut, 1}}},
      {"alter 2",
       alter2,
       {{plu, Fate::kCarryOut, 1},
        {totals, Fate::kCarryOut, 1},  // another file code: not a PLU record
        {"F72500000000", Fate::kCarryOut, 1},
        {plu, Fate::kAlterPlu, 2},
        {plu, Fate::kCarryOut, 3},
        {plu, Fate::kAlterPlu, 4}}},
      {"drop 3", drop3, {{plu, Fate::kCarryOut, 1}, {plu, Fate::kCarryOut, 2}, {plu, Fate::kDropPlu, 3}}},
      {"alter 2, drop 3",
       both,
       {{plu, Fate::kCarryOut, 1},
        {plu, Fate::kAlterPlu, 2},
        {plu, Fate::kDropPlu, 3},
        {plu, Fate::kAlterPlu, 4},
        {plu, Fate::kCarryOut, 5},
        {plu, Fate::kDropPlu, 6}}},  // both divide: dropped
      {"nak 2, 4",
       nak,
       {{"F32500000001", Fate::kCarryOut, 0},
        {"F72500000000", Fate::kRefuse, 0},
        {plu, Fate::kCarryOut, 1},
        {plu, Fate::kRefuse, 1},  // a refused record is no PLU record stored
        {"E2", Fate::kCarryOut, 1}}},
      {"nak keys",
       nak_keys,
       {{"F32500000001", Fate::kRefuse, 0},
        {"F32600000001", Fate::kRefuse, 0},
        {"F225", Fate::kCarryOut, 0},
        {"F72500000000", Fate::kCarryOut, 0}}},
      {"nak 1, alter 1", nak_and_alter, {{plu, Fate::kRefuse, 0}, {plu, Fate::kAlterPlu, 1}}},
  };
  for (const Case& c : cases) {
    std::uint64_t plu_records = 0;
    int number = 0;
    for (const Step& step : c.steps) {
      auto bytes = FromHex(step.request);
      scalesim::Frame frame = scalesim::FrameRequest(bytes.data(), bytes.size());
      EXPECT_EQ(scalesim::DecideRequestFate(c.faults, ++number, frame, bytes.data(), &plu_records), step.fate)
          << c.name << ", request " << number;
      EXPECT_EQ(plu_records, step.plu_records) << c.name << ", request " << number;
    }
  }
}

}  // namespace
