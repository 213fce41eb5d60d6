// Plain and paired reads against the scale emulator.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/shop.h"

namespace transfer_tests {
namespace {

struct ReadCase {
  const char* name;
  int scale;
  const char* held;                 // the tables the scale holds ("CC HEX" lines)
  std::vector<std::string> faults;  // the emulator's
  const char* timeout;              // XFLTIMEOUT
  const char* file_argument;
  const char* out;
  const char* log;  // the emulator's packet log; null: not checked
  const char* incoming;
  const char* incoming_text;
  const char* error;
  const char* retvals;  // "<missing>": none
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class XferlnkReadTest : public testing_support::ShopTest, public ::testing::WithParamInterface<ReadCase> {};

// Reads to the end, and reads that a scale's replies end as failed; the
// incoming file holds what was taken before.
const ReadCase kReads[] = {
    {"PairedReadOfOneTransaction", 1, "2E 00000012000A01020304\n", {}, "5", "F30.DAT", "",
     "2001 open\n"
     "2001 > F72E00000000\n2001 < 00000012000A01020304\n"
     "2001 > F32E00000000\n2001 < 06\n"
     "2001 > F72E00000012\n2001 < E200000000\n"
     "2001 > F32E00000012\n2001 < 06\n"
     "2001 close\n",
     "QS001T30.DAT", "00000012000A01020304E200000000", "0", "<missing>"},
    {"PlainReadFollowsTheKeysToTheEnd", 2, "51 00000001000700\n51 000000050008AABB\n", {}, "5", "F64.DAT", "",
     "2002 open\n"
     "2002 > F75100000000\n2002 < 00000001000700\n"
     "2002 > F75100000001\n2002 < 000000050008AABB\n"
     "2002 > F75100000005\n2002 < E200000000\n"
     "2002 close\n",
     "QS002T64.DAT", "00000001000700000000050008AABBE200000000", "0", "<missing>"},
    {"EndReplyFirstGivesAFileWithTheEndReplyOnly", 1, "", {}, "5", "F64.DAT", "",
     "2001 open\n2001 > F75100000000\n2001 < E200000000\n2001 close\n", "QS001T64.DAT", "E200000000", "0",
     "<missing>"},
    // A reply E3 is no end reply but the start of a record whose length
    // never comes: the reply is missing at the time limit.
    {"ReplyFromE3UpIsNoEndButARecordThatNeverComesWhole", 1, "", {"--reply", "E3"}, "1", "F64.DAT",
     "Nread control -8\n", "2001 open\n2001 > F75100000000\n2001 < E3\n2001 close\n", "QS001T64.DAT", "", "1",
     "-6"},
    // Every reply is the record of key E3000000: it is taken once, and the
    // same key handed out again ends the read.
    {"RecordKeyedFromE3UpIsNoEndAndARepeatedKeyEndsTheRead", 1, "", {"--reply", "E30000000006"}, "5", "F64.DAT", "",
     "2001 open\n2001 > F75100000000\n2001 < E30000000006\n2001 > F751E3000000\n2001 < E30000000006\n"
     "2001 close\n",
     "QS001T64.DAT", "E30000000006", "1", "-6"},
    // The key asked first (0) handed out: the read ends before a key packet.
    {"ScaleEchoingTheKeyAskedCannotKeepAPairedReadGoing", 1, "", {"--echo-key"}, "5", "F24.DAT", "",
     "2001 open\n2001 > F72400000000\n2001 < 000000000006\n2001 close\n", "QS001T24.DAT", "", "1", "-6"},
    {"ReplyCutShortOfItsLengthIsMissing", 1, "24 112200000006\n24 334400000006\n", {"--short-reply", "2"}, "1",
     "F24.DAT", "Nread control -8\n", "2001 open\n2001 > F72400000000\n2001 < 1122\n2001 close\n",
     "QS001T24.DAT", "", "1", "-6"},
};

TEST_P(XferlnkReadTest, Reads) {
  const ReadCase& c = GetParam();
  if (*c.held != 0) SeedStore(c.scale, c.held);
  ASSERT_TRUE(StartScales({c.scale}, c.faults));
  auto result = Transfer({c.file_argument, std::to_string(c.scale)}, {std::string("XFLTIMEOUT=") + c.timeout}, 10000);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.status, std::string(c.retvals) == "<missing>" ? 0 : 1);  // 1: the scale failed
  EXPECT_EQ(result.out, c.out);
  if (c.log != nullptr) ExpectLog(c.log);
  EXPECT_EQ(Read(c.incoming), c.incoming_text);
  EXPECT_EQ(Read("error"), c.error);
  EXPECT_EQ(Read("retvals"), c.retvals);
}

INSTANTIATE_TEST_SUITE_P(, XferlnkReadTest, ::testing::ValuesIn(kReads), testing_support::CaseName());

TEST_F(XferlnkReadTest, ReadReplacesTheConvertersFileWhateverItsLetterCase) {
  SeedStore(1, "24 000000030006\n");
  ASSERT_TRUE(StartScales());
  Write("qs001t24.dat", "stale text from an earlier read, longer than the new one");
  auto result = Transfer({"F24.DAT", "1"});
  EXPECT_EQ(result.out, "");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(File(""))) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"error", "qs001t24.dat"}));
  EXPECT_EQ(Read("qs001t24.dat"), "000000030006E200000000");
}

TEST_F(XferlnkReadTest, MissingRepliesAndAFileThatTakesNothing) {
  SeedStore(1, "26 000000070006\n");
  ASSERT_TRUE(StartScales({1}, {"--close-after", "2"}));
  // The reply to the key packet (request 2) is missing: the end reply read
  // before it is not written, and the file shows the read incomplete.
  auto result = Transfer({"F24.DAT", "1"});
  EXPECT_EQ(result.out, "Nread control 0\n");
  EXPECT_EQ(Read("QS001T24.DAT"), "");
  EXPECT_EQ(Read("retvals"), "-3");

  // A record the file does not take is not cleared.
  ASSERT_TRUE(StopScales());
  ASSERT_TRUE(StartScales({1}));
  ASSERT_EQ(symlink("/dev/full", File("QS001T26.DAT").c_str()), 0);
  result = Transfer({"F26.DAT", "1"});
  EXPECT_EQ(result.out, "file write error\n");
  EXPECT_EQ(Read("retvals"), "-3");

  ASSERT_EQ(mkdir(File("QS001T64.DAT").c_str(), 0755), 0);
  result = Transfer({"F64.DAT", "1"});
  EXPECT_EQ(result.out, "\nfopen QS001T64.DAT failed\n");
  EXPECT_EQ(Read("retvals"), "-1");
  ASSERT_TRUE(StopScales());
  EXPECT_EQ(testing_support::ReadFile(Store() + "/001/tables.hex"), "26 000000070006\n");
  EXPECT_EQ(Log().find("> F32600000007"), std::string::npos);
}

TEST_F(XferlnkReadTest, ReplyThatDoesNotComeInTime) {
  ASSERT_TRUE(StartScales({1}, {"--no-answer"}));
  auto result = Transfer({"F24.DAT", "1"}, {"XFLTIMEOUT=1"});
  EXPECT_EQ(result.out, "Nread control -8\n");
  EXPECT_EQ(Read("QS001T24.DAT"), "");
  EXPECT_EQ(Read("error"), "1");
  EXPECT_EQ(Read("retvals"), "-6");
}

}  // namespace
}  // namespace transfer_tests
