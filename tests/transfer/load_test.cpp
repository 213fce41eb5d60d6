// Record load, key load and the file command against the scale emulator.
#include <vector>

#include "support/shop.h"

namespace transfer_tests {
namespace {

using testing_support::kStoreNameRecord;

struct LoadCase {
  const char* name;
  int scale;
  std::vector<std::string> faults;  // the emulator's
  const char* file;                 // the outgoing file; null: none
  std::string text;
  const char* file_argument;
  const char* log;  // the emulator's packet log
};

void PrintTo(const LoadCase& c, std::ostream* out) { *out << c.name; }

class XferlnkLoadTest : public testing_support::ShopTest, public ::testing::WithParamInterface<LoadCase> {};

// Loads that go through: each record, key or command is one packet, and
// each waits for its reply.
const LoadCase kLoads[] = {
    {"StoreNameRecordGoesOutAsOnePacket", 1, {}, "qs001F52.dat", kStoreNameRecord,  // the converter's letter case
     "F52.DAT", "2001 open\n2001 > F13D00000001000F001105034142430C00\n2001 < 06\n2001 close\n"},
    // Lower-case digits and a trailing line end are taken as well.
    {"SeveralRecordsEachWaitForTheirReply", 2, {}, "QS002F25.DAT",
     "00000001000700" "0000000200080102" "0000000a0006\r\n", "F25.DAT",
     "2002 open\n"
     "2002 > F12500000001000700\n2002 < 06\n"
     "2002 > F1250000000200080102\n2002 < 06\n"
     "2002 > F1250000000A0006\n2002 < 06\n"
     "2002 close\n"},
    // A one-byte reply of any value but a refusal: the load goes on.
    {"RepliesAreNotLookedAtDuringALoad", 1, {"--reply", "07"}, "QS001F34.DAT", "000000010006000000020006", "F34.DAT",
     "2001 open\n2001 > F134000000010006\n2001 < 07\n2001 > F134000000020006\n2001 < 07\n2001 close\n"},
    {"KeyLoadSendsOneKeyPacketPerKey", 3, {}, "QS003F92.DAT", "00000012ABCDEF01", "F92.DAT",
     "2003 open\n2003 > F33D00000012\n2003 < 06\n2003 > F33DABCDEF01\n2003 < 06\n2003 close\n"},
    {"FileCommandSendsTwoBytes", 1, {}, nullptr, "", "F88.DAT", "2001 open\n2001 > F225\n2001 < 06\n2001 close\n"},
    {"FileNumberWithoutKindConnectsAndSendsNothing", 1, {}, nullptr, "", "F11.DAT", "2001 open\n2001 close\n"},
};

TEST_P(XferlnkLoadTest, Loads) {
  const LoadCase& c = GetParam();
  ASSERT_TRUE(StartScales({c.scale}, c.faults));
  if (c.file != nullptr) Write(c.file, c.text);
  auto result = Transfer({c.file_argument, std::to_string(c.scale)});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  ExpectLog(c.log);
  EXPECT_EQ(Read("error"), "0");
  EXPECT_FALSE(Has("retvals"));
}

INSTANTIATE_TEST_SUITE_P(, XferlnkLoadTest, ::testing::ValuesIn(kLoads), testing_support::CaseName());

TEST_F(XferlnkLoadTest, EmptyRecordAndKeyFilesSendNothing) {
  ASSERT_TRUE(StartScales());
  Write("QS001F25.DAT", "");
  Write("qs001f92.dat", "");
  auto result = Transfer({"F25.DAT", "1"});
  EXPECT_EQ(result.out, "");
  result = Transfer({"f92.DAT", "1"});
  EXPECT_EQ(result.out, "");
  ExpectLog("2001 open\n2001 close\n2001 open\n2001 close\n");
  EXPECT_EQ(Read("error"), "0");
  EXPECT_FALSE(Has("retvals"));
}

// A refusal (the single byte 15) does not stop the load: every record is
// sent, and then the scale fails, naming how many it refused and which.
TEST_F(XferlnkLoadTest, RefusedRecordsAndKeysFailTheScaleAfterTheLoad) {
  const struct {
    const char* file;
    const char* text;
    const char* argument;
    std::vector<std::string> faults;
    const char* cause;
  } cases[] = {
      {"QS001F25.DAT", "000000120006000000570006000000880006", "F25.DAT", {"--nak", "1", "--nak", "3"},
       "refused 2 of 3 records: PLU 12, 88"},
      {"QS001F34.DAT", "000000010006000000020006", "F34.DAT", {"--reply", "15"}, "refused 2 of 2 records: key 00000001, 00000002"},
      {"QS001F95.DAT", "0000001200000057", "F95.DAT", {"--nak-keys"}, "refused 2 of 2 keys: PLU 12, 57"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(StartScales({1}, c.faults));
    Write(c.file, c.text);
    auto result = Transfer({c.argument, "1"});
    EXPECT_EQ(result.status, 1) << c.argument;
    EXPECT_EQ(result.out, "") << c.argument;
    EXPECT_EQ(result.err, std::string("xferlnk: scale 1 (S0001:2001): ") + c.cause + "\n");
    EXPECT_EQ(Read("error"), "1");
    EXPECT_EQ(Read("retvals"), "-9");
    ASSERT_TRUE(StopScales());
  }
}

TEST_F(XferlnkLoadTest, OutgoingFileThatCannotBeOpened) {
  ASSERT_TRUE(StartScales());
  auto result = Transfer({"F25.DAT", "1"});
  EXPECT_EQ(result.out, "\nfopen QS001F25.DAT failed err = 2\n");
  result = Transfer({"F92.DAT", "1"});
  EXPECT_EQ(result.out, "\nfopen QS001F92.DAT failed\n");
  EXPECT_EQ(Read("error"), "1");
  EXPECT_EQ(Read("retvals"), "-1");
  ExpectLog("2001 open\n2001 close\n2001 open\n2001 close\n");
}

TEST_F(XferlnkLoadTest, MalformedOutgoingFilesAreRefusedBeforeAnyPacket) {
  ASSERT_TRUE(StartScales());
  const std::string record = kStoreNameRecord;
  const struct {
    const char* file_argument;
    const char* name;
    std::string text;
    const char* message;
  } cases[] = {
      {"F25.DAT", "QS001F25.DAT", record + "00000002000X", "\nBad record file QS001F25.DAT at offset 41\n"},
      {"F25.DAT", "QS001F25.DAT", record + "000000020005", "\nBad record file QS001F25.DAT at offset 30\n"},
      {"F25.DAT", "QS001F25.DAT", "000000011800", "\nBad record file QS001F25.DAT at offset 0\n"},
      {"F25.DAT", "QS001F25.DAT", record + "\r\n" + record, "\nBad record file QS001F25.DAT at offset 30\n"},
      {"F25.DAT", "QS001F25.DAT", record + "00000002000801", "\nBad record file QS001F25.DAT at offset 30\n"},
      {"F92.DAT", "QS001F92.DAT", "000000120000", "\nBad record file QS001F92.DAT at offset 8\n"},
  };
  std::string expected_log;
  for (const auto& c : cases) {
    Write(c.name, c.text);
    auto result = Transfer({c.file_argument, "1"});
    EXPECT_EQ(result.status, 1) << c.text;
    EXPECT_EQ(result.out, c.message) << c.text;
    EXPECT_TRUE(result.err.starts_with(std::string("xferlnk: scale 1 (S0001:2001): the file ") + c.name +
                                       " is not well formed at offset "))
        << result.err;
    EXPECT_EQ(Read("error"), "1") << c.text;
    EXPECT_EQ(Read("retvals"), "-1") << c.text;
    expected_log += "2001 open\n2001 close\n";
  }
  ExpectLog(expected_log);
}

TEST_F(XferlnkLoadTest, ScaleThatClosesBeforeItsReplyFailsTheLoad) {
  ASSERT_TRUE(StartScales({1}, {"--close-after", "2"}));
  Write("QS001F25.DAT", "000000010006000000020006000000030006");
  auto result = Transfer({"F25.DAT", "1"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "Nread control 0\n");
  EXPECT_EQ(result.err, "xferlnk: scale 1 (S0001:2001): closed the connection after 1 of 3 records\n");
  EXPECT_EQ(Read("error"), "1");
  EXPECT_EQ(Read("retvals"), "-6");
}

TEST_F(XferlnkLoadTest, ScaleThatResetsTheConnectionFailsTheLoad) {
  ASSERT_TRUE(StartScales({1, 2}, {"--reset-after", "1"}));
  Write("QS001F25.DAT", "000000010006000000020006");
  Write("QS002F25.DAT", "000000010006000000020006");
  auto result = Transfer({"F25.DAT", "1", "2"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "Nread control -8\nNread control -8\n");
  EXPECT_EQ(Read("error"), "1;2");
  EXPECT_EQ(Read("retvals"), "-8;-8");
}

TEST_F(XferlnkLoadTest, ReplyThatDoesNotComeInTimeIsAFailedReceive) {
  ASSERT_TRUE(StartScales({1}, {"--no-answer"}));
  Write("QS001F25.DAT", "000000010006");
  Write("QS001F92.DAT", "00000001");
  auto start = std::chrono::steady_clock::now();
  auto result = Transfer({"F25.DAT", "1"}, {"XFLTIMEOUT=1"});
  EXPECT_EQ(result.out, "Nread control -8\n");
  EXPECT_EQ(result.err, "xferlnk: scale 1 (S0001:2001): no reply within 1 s after 0 of 1 record\n");
  EXPECT_EQ(Read("retvals"), "-8");
  result = Transfer({"F92.DAT", "1"}, {"xfltimeout=1"});
  EXPECT_EQ(result.out, "Nread control -8\n");
  EXPECT_EQ(Read("retvals"), "-6");
  result = Transfer({"F88.DAT", "1"}, {"XFLTIMEOUT=1"});
  EXPECT_EQ(result.out, "Nread control -8\n");
  EXPECT_EQ(Read("retvals"), "-6");
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(2900));
  EXPECT_LT(elapsed, std::chrono::seconds(8));
}

}  // namespace
}  // namespace transfer_tests
