#include "transfer/run_settings.h"

#include <gtest/gtest.h>

#include "transfer/transfer_kinds.h"

namespace transfer {
namespace {

TEST(RunSettingsTest, DhcpModeOnlyForThatWordInAnyCase) {
  EXPECT_EQ(common::TransferModeFromValue(false, ""), common::TransferMode::kScaleNumber);
  for (const char* value : {"DHCP", "dhcp", "Dhcp", "dHcP"})
    EXPECT_EQ(common::TransferModeFromValue(true, value), common::TransferMode::kDhcp) << value;
  for (const char* value : {"", "DHCP ", " DHCP", "1", "DHC", "DHCPX"})
    EXPECT_EQ(common::TransferModeFromValue(true, value), common::TransferMode::kScaleNumber) << value;
}

TEST(RunSettingsTest, ReplyWaitFromOneSecondToAnHour) {
  EXPECT_EQ(ReplyWaitSecondsFromValue(false, ""), 15);
  const struct {
    const char* value;
    int seconds;
  } cases[] = {{"1", 1}, {"3600", 3600}, {"60", 60}, {"0", 15},    {"3601", 15},       {"-1", 15},
               {"", 15}, {"5s", 15},     {" 5", 15}, {"00005", 5}, {"99999999999", 15}};
  for (const auto& c : cases) EXPECT_EQ(ReplyWaitSecondsFromValue(true, c.value), c.seconds) << c.value;
}

TEST(RunSettingsTest, RecordLimitFromOneToAHundredMillion) {
  EXPECT_EQ(MaxRecordsFromValue(false, ""), 1000000);
  const struct {
    const char* value;
    long records;
  } cases[] = {{"1", 1},          {"100000000", 100000000}, {"50", 50},       {"0050", 50},
               {"0", 1000000},    {"100000001", 1000000},   {"-1", 1000000},  {"", 1000000},
               {"5k", 1000000},   {" 5", 1000000},          {"+5", 1000000},  {"99999999999999999999", 1000000}};
  for (const auto& c : cases) EXPECT_EQ(MaxRecordsFromValue(true, c.value), c.records) << c.value;
}

TEST(TransferKindsTest, TheConverterFileNumbers) {
  const struct {
    int number;
    TransferKind kind;
    int code;
  } cases[] = {{0x25, TransferKind::kRecordLoad, 0x25}, {0x34, TransferKind::kRecordLoad, 0x34},
               {0x38, TransferKind::kRecordLoad, 0x38}, {0x52, TransferKind::kRecordLoad, 0x3D},
               {0x92, TransferKind::kKeyLoad, 0x3D},    {0x24, TransferKind::kPairedRead, 0x24},
               {0x26, TransferKind::kPairedRead, 0x26}, {0x29, TransferKind::kPairedRead, 0x45},
               {0x30, TransferKind::kPairedRead, 0x2E}, {0x46, TransferKind::kPairedRead, 0x46},
               {0x64, TransferKind::kPlainRead, 0x51},  {0x1C, TransferKind::kPlainRead, 0x1C},
               {0x73, TransferKind::kKeyLoad, 0x59}};
  for (const auto& c : cases) {
    TransferPlan plan = PlanForFileNumber(static_cast<std::uint8_t>(c.number));
    EXPECT_EQ(plan.kind, c.kind) << std::hex << c.number;
    EXPECT_EQ(plan.file_code, c.code) << std::hex << c.number;
  }
  EXPECT_EQ(PlanForFileNumber(0x88).kind, TransferKind::kFilePacket);
  for (int number : {0x00, 0x11, 0x2E, 0xFF})
    EXPECT_EQ(PlanForFileNumber(static_cast<std::uint8_t>(number)).kind, TransferKind::kNone);
}

}  // namespace
}  // namespace transfer
