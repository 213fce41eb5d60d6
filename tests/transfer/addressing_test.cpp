// Where a scale is found, and the socket error numbers the program prints.
#include <gtest/gtest.h>

#include "base/decimal_text.h"
#include "transfer/connection.h"

namespace transfer {
namespace {

TEST(FindScaleTest, ScaleNumberModeMakesHostAndPort) {
  const struct {
    const char* argument;
    const char* host;
    int port;
  } cases[] = {{"7", "S0007", 2007},   {"12", "S0012", 2012},  {"123", "S0123", 2123}, {"1234", "S01234", 3234},
               {"007", "S0007", 2007}, {"abc", "S0abc", 2000}, {"-5", "S00-5", 1995}};
  for (const auto& c : cases) {
    ScaleLocation location = FindScale(c.argument, common::TransferMode::kScaleNumber);
    EXPECT_EQ(location.host, c.host) << c.argument;
    EXPECT_EQ(location.port, c.port) << c.argument;
  }
  EXPECT_EQ(FindScale("10.0.0.5", common::TransferMode::kDhcp).host, "10.0.0.5");
}

TEST(FindScaleTest, DhcpPortFollowsTheLastNumberOfTheAddress) {
  EXPECT_EQ(PortFromDottedText("10.0.0.5"), 2005);
  EXPECT_EQ(PortFromDottedText("10.0.0.17"), 2017);
  EXPECT_EQ(PortFromDottedText("192.168.1.37"), 2037);
  EXPECT_EQ(PortFromDottedText("localhost"), 2000);
  EXPECT_EQ(DottedText(0xC0A80125), "192.168.1.37");
  EXPECT_EQ(DottedText(0), "0.0.0.0");
}

TEST(FindScaleTest, OnlyAScalesAddressIsConnectedTo) {
  const struct {
    std::uint32_t address;
    bool scale;
  } cases[] = {{0x7F000001, true},  {0xC0A80125, true},  {0x00000000, false}, {0x00000001, false},
               {0x00FFFFFF, false}, {0xE0000001, false}, {0xEFFFFFFF, false}, {0xFFFFFFFF, false},
               {0xF0000001, true}};
  for (const auto& c : cases) EXPECT_EQ(IsScaleAddress(c.address), c.scale) << DottedText(c.address);
}

TEST(LeadingDecimalValueTest, ReadsLikeTheRunTimeLibrary) {
  const struct {
    const char* text;
    int value;
  } cases[] = {{"7", 7},  {"12x", 12}, {" -12", -12}, {"+3", 3},
               {"x1", 0}, {"", 0},     {"-", 0},      {"99999999999999999999", 999999999}};
  for (const auto& c : cases) EXPECT_EQ(base::LeadingDecimalValue(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace transfer
