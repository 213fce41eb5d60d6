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

// Each limit takes whole decimal numbers in its range, and its default when
// it is not set or empty; any other value is refused with the range.
TEST(RunSettingsTest, LimitsTakeWholeNumbersInTheirRangeAndRefuseTheRest) {
  for (const common::TransferLimit* limit : common::kTransferLimits) {
    long long number = -1;
    EXPECT_TRUE(common::LimitFromValue(*limit, false, "", &number).ok()) << limit->name;
    EXPECT_EQ(number, limit->fallback) << limit->name;
    const std::string high = std::to_string(limit->high);
    const struct {
      std::string value;
      long long number;  // -1: refused
    } cases[] = {{"", limit->fallback}, {"1", 1}, {"0001", 1}, {high, limit->high}, {"0", -1},
                 {"-1", -1},            {"abc", -1}, {"1e3", -1}, {" 3", -1},    {"3 ", -1},
                 {"+5", -1},            {std::to_string(limit->high + 1), -1},   {"99999999999999999999", -1}};
    for (const auto& c : cases) {
      const common::VariableStatus status = common::LimitFromValue(*limit, true, c.value, &number);
      EXPECT_EQ(status.ok(), c.number >= 0) << limit->name << "=" << c.value;
      if (!status.ok()) {
        EXPECT_EQ(status.message(), std::string(limit->name) + "=" + c.value + " is not a whole number from 1 to " +
                                        high)
            << limit->name;
        continue;
      }
      EXPECT_EQ(number, c.number) << limit->name << "=" << c.value;
    }
  }
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
