// Plain and paired reads against the scale emulator.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>

#include "xferlnk_fixture.h"

namespace transfer_tests {
namespace {

using XferlnkReadTest = XferlnkTest;

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(XferlnkReadTest, PairedReadOfOneTransaction) {
  SeedStore(1, "2E 00000012000A01020304\n");
  ASSERT_TRUE(StartScales({1}));
  auto result = Run({"F30.DAT", "1"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  const std::string expected =
      "2001 open\n"
      "2001 > F72E00000000\n2001 < 00000012000A01020304\n"
      "2001 > F32E00000000\n2001 < 06\n"
      "2001 > F72E00000012\n2001 < E200000000\n"
      "2001 > F32E00000012\n2001 < 06\n"
      "2001 close\n";
  ExpectLog(expected);
  EXPECT_EQ(Read("QS001T30.DAT"), "00000012000A01020304E200000000");
  EXPECT_EQ(Read("error"), "0");
  EXPECT_FALSE(Has("retvals"));
}

TEST_F(XferlnkReadTest, PlainReadFollowsTheKeysToTheEnd) {
  SeedStore(2, "51 00000001000700\n51 000000050008AABB\n");
  ASSERT_TRUE(StartScales({2}));
  auto result = Run({"F64.DAT", "2"});
  EXPECT_EQ(result.out, "");
  const std::string expected =
      "2002 open\n"
      "2002 > F75100000000\n2002 < 00000001000700\n"
      "2002 > F75100000001\n2002 < 000000050008AABB\n"
      "2002 > F75100000005\n2002 < E200000000\n"
      "2002 close\n";
  ExpectLog(expected);
  EXPECT_EQ(Read("QS002T64.DAT"), "00000001000700000000050008AABBE200000000");
  EXPECT_EQ(Read("error"), "0");
}

TEST_F(XferlnkReadTest, EndReplyFirstGivesAFileWithTheEndReplyOnly) {
  ASSERT_TRUE(StartScales({1}));
  auto result = Run({"F64.DAT", "1"});
  EXPECT_EQ(result.out, "");
  ExpectLog("2001 open\n2001 > F75100000000\n2001 < E200000000\n2001 close\n");
  EXPECT_EQ(Read("QS001T64.DAT"), "E200000000");
  EXPECT_EQ(Read("error"), "0");
}

TEST_F(XferlnkReadTest, ReadReplacesTheConvertersFileWhateverItsLetterCase) {
  SeedStore(1, "24 000000030006\n");
  ASSERT_TRUE(StartScales({1}));
  Write("qs001t24.dat", "stale text from an earlier read, longer than the new one");
  auto result = Run({"F24.DAT", "1"});
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Names(work_.path()), (std::vector<std::string>{"error", "qs001t24.dat"}));
  EXPECT_EQ(Read("qs001t24.dat"), "000000030006E200000000");
}

TEST_F(XferlnkReadTest, ReplyFromE3UpIsNoEndAndARepeatedKeyEndsTheRead) {
  // Every reply is E3: its key E3 00 00 00 (the rest from the zeroed buffer)
  // is asked for next, and the same reply again would never end the read.
  ASSERT_TRUE(StartScales({1}, {"--reply", "E3"}));
  auto result = Run({"F64.DAT", "1"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  const std::string expected =
      "2001 open\n2001 > F75100000000\n2001 < E3\n2001 > F751E3000000\n2001 < E3\n2001 close\n";
  ExpectLog(expected);
  EXPECT_EQ(Read("QS001T64.DAT"), "E3");
  EXPECT_EQ(Read("error"), "1");
  EXPECT_EQ(Read("retvals"), "-6");
}

TEST_F(XferlnkReadTest, ScaleEchoingTheKeyAskedCannotKeepAPairedReadGoing) {
  ASSERT_TRUE(StartScales({1}, {"--echo-key"}));
  auto result = Run({"F24.DAT", "1"}, {}, 10000);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.out, "");
  const std::string expected =
      "2001 open\n2001 > F72400000000\n2001 < 000000000006\n2001 > F32400000000\n2001 < 06\n"
      "2001 > F72400000000\n2001 < 000000000006\n2001 close\n";
  ExpectLog(expected);
  EXPECT_EQ(Read("QS001T24.DAT"), "000000000006");
  EXPECT_EQ(Read("retvals"), "-6");
}

TEST_F(XferlnkReadTest, ShortRepliesKeepTheReadGoing) {
  SeedStore(1, "24 112200000006\n24 334400000006\n");
  ASSERT_TRUE(StartScales({1}, {"--short-reply", "2"}));
  auto result = Run({"F24.DAT", "1"});
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Read("QS001T24.DAT"), "11223344E200");
  EXPECT_EQ(Read("error"), "0");
  EXPECT_FALSE(Has("retvals"));
}

TEST_F(XferlnkReadTest, MissingRepliesAndAFileThatTakesNothing) {
  ASSERT_TRUE(StartScales({1}, {"--close-after", "2"}));
  // The reply to the key packet (request 2) is missing.
  auto result = Run({"F24.DAT", "1"});
  EXPECT_EQ(result.out, "Nread control 0\n");
  EXPECT_EQ(Read("QS001T24.DAT"), "E200000000");
  EXPECT_EQ(Read("retvals"), "-3");

  ASSERT_EQ(symlink("/dev/full", work_.File("QS001T26.DAT").c_str()), 0);
  result = Run({"F26.DAT", "1"});
  EXPECT_EQ(result.out, "file write error\n");
  EXPECT_EQ(Read("retvals"), "-3");

  ASSERT_EQ(mkdir(work_.File("QS001T64.DAT").c_str(), 0755), 0);
  result = Run({"F64.DAT", "1"});
  EXPECT_EQ(result.out, "\nfopen QS001T64.DAT failed\n");
  EXPECT_EQ(Read("retvals"), "-1");
}

TEST_F(XferlnkReadTest, ReplyThatDoesNotComeInTime) {
  ASSERT_TRUE(StartScales({1}, {"--no-answer"}));
  auto result = Run({"F24.DAT", "1"}, {"XFLTIMEOUT=1"});
  EXPECT_EQ(result.out, "Nread control -8\n");
  EXPECT_EQ(Read("QS001T24.DAT"), "");
  EXPECT_EQ(Read("error"), "1");
  EXPECT_EQ(Read("retvals"), "-6");
}

}  // namespace
}  // namespace transfer_tests
