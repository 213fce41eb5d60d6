// Connections that cannot be made, and scales that cannot be reached.
#include "support/shop.h"

namespace transfer_tests {
namespace {

using testing_support::kRefused;
using testing_support::kStoreNameRecord;
using XferlnkConnectTest = testing_support::ShopTest;

TEST_F(XferlnkConnectTest, RefusedConnection) {
  ASSERT_TRUE(StartScales({1}, {"--refuse"}));
  Write("QS001F52.DAT", kStoreNameRecord);
  auto result = Transfer({"F52.DAT", "1"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, kRefused);
  EXPECT_EQ(result.err, "xferlnk: scale 1 (S0001:2001): connection refused\n");
  EXPECT_EQ(Read("error"), "1");
  EXPECT_EQ(Read("retvals"), "-5");
}

TEST_F(XferlnkConnectTest, ScaleThatDoesNotAcceptTimesOutAfterThreeSeconds) {
  ASSERT_TRUE(StartScales({1}, {"--no-accept"}));
  Write("QS001F52.DAT", kStoreNameRecord);
  auto start = std::chrono::steady_clock::now();
  auto result = Transfer({"F52.DAT", "1"});
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(result.out, "Connect error 10060\nConnection error fffffffb\n");
  EXPECT_EQ(result.err, "xferlnk: scale 1 (S0001:2001): no answer to the connection within 3 s\n");
  EXPECT_EQ(Read("error"), "1");
  EXPECT_EQ(Read("retvals"), "-5");
  EXPECT_GE(elapsed, std::chrono::milliseconds(2900));
  EXPECT_LT(elapsed, std::chrono::milliseconds(5000));
}

TEST_F(XferlnkConnectTest, HostThatCannotBeLookedUp) {
  // A label longer than 63 characters: the resolver refuses it without
  // asking any name server.
  const std::string name(70, 'x');
  UseHostsFile(false);
  const struct {
    const char* mode;
    std::string err;
  } cases[] = {{"XFLTCPMODE=", "xferlnk: scale " + name + " (S0" + name + ":2000): host name S0" + name + " not found\n"},
               {"XFLTCPMODE=DHCP", "xferlnk: scale " + name + " (" + name + "): host name " + name + " not found\n"}};
  for (const auto& [mode, err] : cases) {
    auto result = Transfer({"F52.DAT", name}, {mode});
    EXPECT_EQ(result.status, 1) << mode;
    EXPECT_EQ(result.out, "Error 11001\nConnection error fffffffd\n") << mode;
    EXPECT_EQ(result.err, err) << mode;
    EXPECT_EQ(Read("error"), name) << mode;
    EXPECT_EQ(Read("retvals"), "-5") << mode;
  }
}

// An address or port that can be no scale's is not connected to: 0.0.0.x
// reaches any program listening on the machine, a multicast address no one
// scale, port 0 (scale -2000) nothing. (The broadcast address is refused
// too, see AddressingTest; Windows cannot look it up as a dotted address.)
TEST_F(XferlnkConnectTest, AddressOrPortOfNoScaleIsNotConnectedTo) {
  AddHost("S0-2000", address());
  const struct {
    const char* scale;
    const char* mode;
    const char* place;
  } cases[] = {
      {"-2000", "", "S0-2000"},
      {"0.0.0.0", "DHCP", "0.0.0.0:2000"},
      {"0.0.0.1", "DHCP", "0.0.0.1:2001"},
      {"224.0.0.1", "DHCP", "224.0.0.1:2001"},
  };
  for (const auto& c : cases) {
    auto result = Transfer({"F52.DAT", c.scale}, {std::string("XFLTCPMODE=") + c.mode});
    EXPECT_EQ(result.status, 1) << c.scale;
    EXPECT_EQ(result.out, "\nConnection error fffffffd\n") << c.scale;
    // S0-2000 is the test's own address, on port 0.
    const std::string where = c.mode[0] == '\0' ? address() + ":0" : std::string(c.place);
    EXPECT_EQ(result.err,
              "xferlnk: scale " + std::string(c.scale) + " (" + c.place + "): not a scale's address: " + where + "\n")
        << c.scale;
    EXPECT_EQ(Read("retvals"), "-5") << c.scale;
  }
}

}  // namespace
}  // namespace transfer_tests
