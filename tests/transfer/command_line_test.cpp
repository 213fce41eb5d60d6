// The command line, the transfer modes and the result files of xferlnk.
#include <sys/stat.h>

#include "xferlnk_fixture.h"

namespace transfer_tests {
namespace {

using XferlnkCommandLineTest = XferlnkTest;

TEST_F(XferlnkCommandLineTest, UsageMessageByModeLeavesResultFilesAlone) {
  Write("error", "old error");
  Write("retvals", "old retvals");
  const char* const kScaleNumberUsage = "Please enter filename and port number(s)";
  const char* const kDhcpUsage = "Please enter the filename and host name(s)";
  const struct {
    std::vector<std::string> arguments;
    const char* mode;
    const char* message;
  } cases[] = {
      {{}, "", kScaleNumberUsage},
      {{"F25.DAT"}, "", kScaleNumberUsage},
      {{"F25.DAT"}, "DHCP", kDhcpUsage},
      {{"F25.DAT"}, "dhcp", kDhcpUsage},
      {{"F25.DAT"}, "DHCP ", kScaleNumberUsage},
      {{"F25.DAT"}, "1", kScaleNumberUsage},
      {{"F2", "1"}, "", kScaleNumberUsage},
      {{"", "1"}, "Dhcp", kDhcpUsage},
  };
  for (const auto& c : cases) {
    auto result = Run(c.arguments, {std::string("XFLTCPMODE=") + c.mode});
    EXPECT_EQ(result.status, 255) << c.mode;
    EXPECT_EQ(result.out, c.message) << c.mode;
  }
  // The variable's name in any letter case.
  auto result = Run({"F25.DAT"}, {"xflTcpMode=dHCP"});
  EXPECT_EQ(result.out, kDhcpUsage);
  EXPECT_EQ(Read("error"), "old error");
  EXPECT_EQ(Read("retvals"), "old retvals");
}

TEST_F(XferlnkCommandLineTest, EveryScaleSucceeds) {
  ASSERT_TRUE(StartScales({1}));
  Write("QS001F52.DAT", kStoreNameRecord);
  Write("retvals", "-5");
  auto result = Run({"F52.DAT", "1", "1"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Read("error"), "0");
  EXPECT_FALSE(Has("retvals"));
  const std::string once = "2001 open\n2001 > F13D00000001000F001105034142430C00\n2001 < 06\n2001 close\n";
  ExpectLog(once + once);
}

TEST_F(XferlnkCommandLineTest, FailuresAreRecordedInOrder) {
  ASSERT_TRUE(StartScales({1, 3}));
  Write("QS001F52.DAT", kStoreNameRecord);
  const struct {
    std::vector<std::string> scales;
    const char* out;
    const char* error;
    const char* retvals;
  } cases[] = {
      // One failure first, then a success.
      {{"3", "1"}, "\nfopen QS003F52.DAT failed err = 2\n", "3", "-1"},
      // Three failures: a missing file, a refused connection, a scale
      // argument that names no scale (nothing is connected for it).
      {{"1", "3", "2", "1", "a/b"},
       "\nfopen QS003F52.DAT failed err = 2\nConnect error 10061\nConnection error fffffffb\n",
       "3;2;a/b",
       "-1;-5;-5"},
      // The same failing scale twice, and scale arguments that are empty or
      // hold a backslash: every scale failed, still exit code 0.
      {{"3", "", "3", "c\\d"},
       "\nfopen QS003F52.DAT failed err = 2\n\nfopen QS003F52.DAT failed err = 2\n",
       "3;;3;c\\d",
       "-1;-5;-1;-5"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"F52.DAT"};
    arguments.insert(arguments.end(), c.scales.begin(), c.scales.end());
    auto result = Run(arguments);
    EXPECT_EQ(result.status, 0) << c.error;
    EXPECT_EQ(result.out, c.out) << c.error;
    EXPECT_EQ(Read("error"), c.error);
    EXPECT_EQ(Read("retvals"), c.retvals);
  }
}

TEST_F(XferlnkCommandLineTest, ResultFilesThatCannotBeCreatedStopTheRun) {
  ASSERT_TRUE(StartScales({1}));
  Write("QS001F52.DAT", kStoreNameRecord);
  for (const char* blocked : {"error", "retvals"}) {
    ASSERT_EQ(mkdir(work_.File(blocked).c_str(), 0755), 0);
    auto result = Run({"F52.DAT", "1"});
    EXPECT_EQ(result.status, 255) << blocked;
    EXPECT_EQ(result.out, "Could not create result files\n") << blocked;
    ASSERT_EQ(rmdir(work_.File(blocked).c_str()), 0);
  }
  // No scale was contacted.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(Log(), "");
}

TEST_F(XferlnkCommandLineTest, MoreThanTwentyScales) {
  ASSERT_TRUE(StartScales({1}));
  Write("QS001F52.DAT", kStoreNameRecord);
  std::vector<std::string> arguments = {"F52.DAT"};
  arguments.insert(arguments.end(), 25, "1");
  auto result = Run(arguments);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Read("error"), "0");
  std::string once = "2001 open\n2001 > F13D00000001000F001105034142430C00\n2001 < 06\n2001 close\n";
  std::string expected;
  for (int i = 0; i < 25; ++i) expected += once;
  ExpectLog(expected);

  // A file number without kind leaves each connection open: the table of 20
  // connections is full at the 21st scale.
  arguments[0] = "F11.DAT";
  result = Run(std::vector<std::string>(arguments.begin(), arguments.begin() + 22));
  EXPECT_EQ(result.out, "\nConnection error fffffffa\n");
  EXPECT_EQ(Read("error"), "1");
  EXPECT_EQ(Read("retvals"), "-5");
}

TEST_F(XferlnkCommandLineTest, DhcpModeNamesFilesAndPortsByAddress) {
  const std::string last_number = address_.substr(address_.rfind('.') + 1);
  const int port = 2000 + std::stoi(last_number);
  ASSERT_TRUE(sim_.Start(Store(), {address_ + ":" + std::to_string(port)}));
  AddHost("scale-a", address_);
  Write("QS" + address_ + "F52.DAT.DAT", kStoreNameRecord);
  Write("QSscale-aF52.DAT.DAT", kStoreNameRecord);
  auto result = Run({"F52.DAT", address_, "scale-a"}, {"XFLTCPMODE=Dhcp"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Read("error"), "0");
  const std::string p = std::to_string(port);
  const std::string once =
      p + " open\n" + p + " > F13D00000001000F001105034142430C00\n" + p + " < 06\n" + p + " close\n";
  std::string paired = p + " open\n" + p + " > F72400000000\n" + p + " < E200000000\n" + p + " > F32400000000\n" + p +
                       " < 06\n" + p + " close\n";
  result = Run({"F24", address_}, {"XFLTCPMODE=dhcp"});
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Read("QS" + address_ + "T24.DAT"), "E200000000");
  ExpectLog(once + once + paired);
}

}  // namespace
}  // namespace transfer_tests
