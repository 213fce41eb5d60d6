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
  const char* file_argument;
  const char* log;  // the emulator's packet log; null: not checked
  const char* incoming;
  const char* incoming_text;
  const char* error;
  const char* retvals;  // "<missing>": none
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class XferlnkReadTest : public testing_support::ShopTest, public ::testing::WithParamInterface<ReadCase> {};

// Reads that end without a message; the incoming file holds every reply.
const ReadCase kReads[] = {
    {"PairedReadOfOneTransaction", 1, "2E 00000012000A01020304\n", {}, "F30.DAT",
     "2001 open\n"
     "2001 > F72E00000000\n2001 < 00000012000A01020304\n"
     "2001 > F32E00000000\n2001 < 06\n"
     "2001 > F72E00000012\n2001 < E200000000\n"
     "2001 > F32E00000012\n2001 < 06\n"
     "2001 close\n",
     "QS001T30.DAT", "00000012000A01020304E200000000", "0", "<missing>"},
    {"PlainReadFollowsTheKeysToTheEnd", 2, "51 00000001000700\n51 000000050008AABB\n", {}, "F64.DAT",
     "2002 open\n"
     "2002 > F75100000000\n2002 < 00000001000700\n"
     "2002 > F75100000001\n2002 < 000000050008AABB\n"
     "2002 > F75100000005\n2002 < E200000000\n"
     "2002 close\n",
     "QS002T64.DAT", "00000001000700000000050008AABBE200000000", "0", "<missing>"},
    {"EndReplyFirstGivesAFileWithTheEndReplyOnly", 1, "", {}, "F64.DAT",
     "2001 open\n2001 > F75100000000\n2001 < E200000000\n2001 close\n", "QS001T64.DAT", "E200000000", "0",
     "<missing>"},
    // Every reply is E3: its key E3 00 00 00 (the rest from the zeroed
    // buffer) is asked for next, and the same reply again would never end
    // the read.
    {"ReplyFromE3UpIsNoEndAndARepeatedKeyEndsTheRead", 1, "", {"--reply", "E3"}, "F64.DAT",
     "2001 open\n2001 > F75100000000\n2001 < E3\n2001 > F751E3000000\n2001 < E3\n2001 close\n", "QS001T64.DAT", "E3",
     "1", "-6"},
    {"ScaleEchoingTheKeyAskedCannotKeepAPairedReadGoing", 1, "", {"--echo-key"}, "F24.DAT",
     "2001 open\n2001 > F72400000000\n2001 < 000000000006\n2001 > F32400000000\n2001 < 06\n"
     "2001 > F72400000000\n2001 < 000000000006\n2001 close\n",
     "QS001T24.DAT", "000000000006", "1", "-6"},
    {"ShortRepliesKeepTheReadGoing", 1, "24 112200000006\n24 334400000006\n", {"--short-reply", "2"}, "F24.DAT",
     nullptr, "QS001T24.DAT", "11223344E200", "0", "<missing>"},
};

TEST_P(XferlnkReadTest, Reads) {
  const ReadCase& c = GetParam();
  if (*c.held != 0) SeedStore(c.scale, c.held);
  ASSERT_TRUE(StartScales({c.scale}, c.faults));
  auto result = Transfer({c.file_argument, std::to_string(c.scale)}, {}, 10000);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  if (c.log != nullptr) ExpectLog(c.log);
  EXPECT_EQ(Read(c.incoming), c.incoming_text);
  EXPECT_EQ(Read("error"), c.error);
  EXPECT_EQ(Read("retvals"), c.retvals);
}

INSTANTIATE_TEST_SUITE_P(, XferlnkReadTest, ::testing::ValuesIn(kReads),
                         [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

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
  ASSERT_TRUE(StartScales({1}, {"--close-after", "2"}));
  // The reply to the key packet (request 2) is missing.
  auto result = Transfer({"F24.DAT", "1"});
  EXPECT_EQ(result.out, "Nread control 0\n");
  EXPECT_EQ(Read("QS001T24.DAT"), "E200000000");
  EXPECT_EQ(Read("retvals"), "-3");

  ASSERT_EQ(symlink("/dev/full", File("QS001T26.DAT").c_str()), 0);
  result = Transfer({"F26.DAT", "1"});
  EXPECT_EQ(result.out, "file write error\n");
  EXPECT_EQ(Read("retvals"), "-3");

  ASSERT_EQ(mkdir(File("QS001T64.DAT").c_str(), 0755), 0);
  result = Transfer({"F64.DAT", "1"});
  EXPECT_EQ(result.out, "\nfopen QS001T64.DAT failed\n");
  EXPECT_EQ(Read("retvals"), "-1");
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
