// The command line, the transfer modes and the result files of xferlnk.
#include <sys/stat.h>

#include <thread>

#include "support/shop.h"

namespace transfer_tests {
namespace {

using testing_support::kRefused;
using testing_support::kStoreNameRecord;
using XferlnkCommandLineTest = testing_support::ShopTest;

// One store-name load on the scale listening on port.
std::string StoreNameLoad(const std::string& port) {
  return port + " open\n" + port + " > F13D" + kStoreNameRecord + "\n" + port + " < 06\n" + port + " close\n";
}

TEST_F(XferlnkCommandLineTest, UsageMessageByModeLeavesResultFilesAlone) {
  Write("error", "old error");
  Write("retvals", "old retvals");
  const char* const kScaleNumberUsage = "Please enter filename and port number(s)";
  const char* const kDhcpUsage = "Please enter the filename and host name(s)";
  const struct {
    std::vector<std::string> arguments;
    const char* mode;  // XFLTCPMODE, its name in any letter case
    const char* message;
  } cases[] = {
      {{}, "XFLTCPMODE=", kScaleNumberUsage},
      {{"F25.DAT"}, "XFLTCPMODE=", kScaleNumberUsage},
      {{"F25.DAT"}, "XFLTCPMODE=DHCP", kDhcpUsage},
      {{"F25.DAT"}, "XFLTCPMODE=dhcp", kDhcpUsage},
      {{"F25.DAT"}, "XFLTCPMODE=DHCP ", kScaleNumberUsage},
      {{"F25.DAT"}, "XFLTCPMODE=1", kScaleNumberUsage},
      {{"F2", "1"}, "XFLTCPMODE=", kScaleNumberUsage},
      {{"", "1"}, "XFLTCPMODE=Dhcp", kDhcpUsage},
      {{"F25.DAT"}, "xflTcpMode=dHCP", kDhcpUsage},
  };
  for (const auto& c : cases) {
    auto result = Transfer(c.arguments, {c.mode});
    EXPECT_EQ(result.status, 255) << c.mode;
    EXPECT_EQ(result.out, c.message) << c.mode;
  }
  EXPECT_EQ(Read("error"), "old error");
  EXPECT_EQ(Read("retvals"), "old retvals");
}

TEST_F(XferlnkCommandLineTest, EveryScaleSucceeds) {
  ASSERT_TRUE(StartScales({1, 2}));
  Write("QS001F52.DAT", kStoreNameRecord);
  Write("QS002F52.DAT", kStoreNameRecord);
  Write("retvals", "-5");
  auto result = Transfer({"F52.DAT", "1", "2"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Read("error"), "0");
  EXPECT_FALSE(Has("retvals"));
  ExpectLog(StoreNameLoad("2001") + StoreNameLoad("2002"));
}

// A scale named twice would fetch over its own fetch or be loaded twice:
// the command line is refused before anything is touched. Two arguments
// name one scale when their files are one.
TEST_F(XferlnkCommandLineTest, AScaleNamedTwiceIsACommandLineError) {
  Write("error", "old error");
  const struct {
    std::vector<std::string> arguments;
    const char* mode;
    const char* err;
  } cases[] = {
      {{"F30.DAT", "001", "1"}, "", "xferlnk: the scale 001 is named twice (001 and 1)\n"},
      {{"F30.DAT", "2", "7", "002"}, "", "xferlnk: the scale 2 is named twice (2 and 002)\n"},
      {{"F30", "scale-a", "Scale-A"}, "DHCP", "xferlnk: the scale scale-a is named twice (scale-a and Scale-A)\n"},
  };
  for (const auto& c : cases) {
    auto result = Transfer(c.arguments, {std::string("XFLTCPMODE=") + c.mode});
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(Read("error"), "old error");
  }
}

// A limit's variable that cannot be taken is a command-line error that
// names the range, before anything is touched.
TEST_F(XferlnkCommandLineTest, ALimitThatCannotBeTakenIsACommandLineError) {
  Write("error", "old error");
  const struct {
    const char* entry;
    const char* named;  // as the message names it
  } cases[] = {{"XFLTIMEOUT=0", "XFLTIMEOUT=0"},           {"XFLMAXRECORDS=1e3", "XFLMAXRECORDS=1e3"},
               {"XFLMAXBYTES= 3", "XFLMAXBYTES= 3"},       {"XFLMAXSECONDS=-1", "XFLMAXSECONDS=-1"},
               {"xflparallel=abc", "XFLPARALLEL=abc"}};
  for (const auto& [entry, named] : cases) {
    auto result = Transfer({"F30.DAT", "001"}, {entry});
    EXPECT_EQ(result.status, 255) << entry;
    EXPECT_TRUE(result.err.starts_with("xferlnk: " + std::string(named) + " is not a whole number from 1 to "))
        << result.err;
    EXPECT_EQ(Read("error"), "old error");
  }
}

TEST_F(XferlnkCommandLineTest, FailuresAreRecordedInOrder) {
  ASSERT_TRUE(StartScales({1, 3}));
  Write("QS001F52.DAT", kStoreNameRecord);
  const std::string missing = "the file QS003F52.DAT cannot be opened (" +
                              testing_support::ReasonText(testing_support::Reason::kNoSuchFile) + ")\n";
  const struct {
    std::vector<std::string> scales;
    std::string out;
    std::string err;  // one line per failed scale
    const char* error;
    const char* retvals;
  } cases[] = {
      // One failure first, then a success.
      {{"3", "1"}, "\nfopen QS003F52.DAT failed err = 2\n", "xferlnk: scale 3 (S0003:2003): " + missing, "3", "-1"},
      // Three failures: a missing file, a refused connection, a scale
      // argument that names no scale (nothing is connected for it).
      {{"1", "3", "2", "a/b"},
       std::string("\nfopen QS003F52.DAT failed err = 2\n") + kRefused,
       "xferlnk: scale 3 (S0003:2003): " + missing + "xferlnk: scale 2 (S0002:2002): connection refused\n"
           "xferlnk: scale a/b: the scale argument names no scale\n",
       "3;2;a/b",
       "-1;-5;-5"},
      // A failing scale and scale arguments that are empty or hold a
      // backslash: every scale failed.
      {{"3", "", "c\\d"},
       "\nfopen QS003F52.DAT failed err = 2\n",
       "xferlnk: scale 3 (S0003:2003): " + missing + "xferlnk: scale : the scale argument names no scale\n" +
           "xferlnk: scale c\\d: the scale argument names no scale\n",
       "3;;c\\d",
       "-1;-5;-5"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"F52.DAT"};
    arguments.insert(arguments.end(), c.scales.begin(), c.scales.end());
    auto result = Transfer(arguments);
    EXPECT_EQ(result.status, 1) << c.error;  // at least one scale failed
    EXPECT_EQ(result.out, c.out) << c.error;
    EXPECT_EQ(result.err, c.err) << c.error;
    EXPECT_EQ(Read("error"), c.error);
    EXPECT_EQ(Read("retvals"), c.retvals);
  }
}

TEST_F(XferlnkCommandLineTest, ResultFilesThatCannotBeCreatedStopTheRun) {
  ASSERT_TRUE(StartScales());
  Write("QS001F52.DAT", kStoreNameRecord);
  for (const char* blocked : {"error", "retvals"}) {
    ASSERT_EQ(mkdir(File(blocked).c_str(), 0755), 0);
    auto result = Transfer({"F52.DAT", "1"});
    EXPECT_EQ(result.status, 255) << blocked;
    EXPECT_EQ(result.out, "Could not create result files\n") << blocked;
    ASSERT_EQ(rmdir(File(blocked).c_str()), 0);
  }
  // No scale was contacted.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(Log(), "");
}

// A result file that takes nothing (a full disk) fails the run, however well
// the scales went.
TEST_F(XferlnkCommandLineTest, ResultFilesThatCannotBeWrittenFailTheRun) {
  ASSERT_TRUE(StartScales());
  Write("QS001F52.DAT", kStoreNameRecord);
  ASSERT_EQ(symlink("/dev/full", File("error").c_str()), 0);
  auto result = Transfer({"F52.DAT", "1"});
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.out, "Could not write result files\n");
}

TEST_F(XferlnkCommandLineTest, MoreThanTwentyScales) {
  std::vector<int> scales;
  std::vector<std::string> arguments = {"F52.DAT"};
  std::string expected;
  for (int scale = 1; scale <= 21; ++scale) {  // ports 2001 to 2021
    char name[8];
    std::snprintf(name, sizeof name, "%03d", scale);
    AddHost("S0" + std::string(name), address());
    Write("QS" + std::string(name) + "F52.DAT", kStoreNameRecord);
    scales.push_back(scale);
    arguments.push_back(name);
    expected += StoreNameLoad(std::to_string(2000 + scale));
  }
  ASSERT_TRUE(StartScales(scales));
  auto result = Transfer(arguments);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Read("error"), "0");
  ExpectLog(expected);

  // A file number without kind leaves each connection open: the table of 20
  // connections is full at the 21st scale.
  arguments[0] = "F11.DAT";
  result = Transfer(arguments);
  EXPECT_EQ(result.out, "\nConnection error fffffffa\n");
  EXPECT_EQ(Read("error"), "021");
  EXPECT_EQ(Read("retvals"), "-5");
}

TEST_F(XferlnkCommandLineTest, DhcpModeNamesFilesAndPortsByAddress) {
  // The port is 2000 plus the address's last number: the scale of that number.
  const std::string last_number = address().substr(address().rfind('.') + 1);
  ASSERT_TRUE(StartScales({std::stoi(last_number)}));
  AddHost("scale-a", address());
  Write("QS" + address() + "F52.DAT.DAT", kStoreNameRecord);
  Write("QSscale-aF52.DAT.DAT", kStoreNameRecord);
  auto result = Transfer({"F52.DAT", address(), "scale-a"}, {"XFLTCPMODE=Dhcp"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Read("error"), "0");
  const std::string p = std::to_string(2000 + std::stoi(last_number));
  std::string paired = p + " open\n" + p + " > F72400000000\n" + p + " < E200000000\n" + p + " > F32400000000\n" + p +
                       " < 06\n" + p + " close\n";
  result = Transfer({"F24", address()}, {"XFLTCPMODE=dhcp"});
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Read("QS" + address() + "T24.DAT"), "E200000000");
  ExpectLog(StoreNameLoad(p) + StoreNameLoad(p) + paired);
}

}  // namespace
}  // namespace transfer_tests
