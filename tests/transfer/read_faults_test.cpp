// Reads against scales that cut, join, repeat or never end their replies:
// what the incoming file holds, what the scale keeps, and that each read
// ends within its time limit.
#include <cstdio>
#include <string>
#include <vector>

#include "support/shop.h"

namespace transfer_tests {
namespace {

// A record of the key and length (at least 6), its bytes past the length
// field counting up from 1, in hex.
std::string Record(unsigned key, unsigned length) {
  char head[16];
  std::snprintf(head, sizeof head, "%08X%04X", key, length);
  std::string text = head;
  for (unsigned i = 6; i < length; ++i) {
    std::snprintf(head, sizeof head, "%02X", (i - 5) & 0xFF);
    text += head;
  }
  return text;
}

// The 8-byte records of the keys first..last, as --cycle-keys and --new-keys make them.
std::string MadeUpRecords(unsigned first, unsigned last) {
  std::string text;
  char record[24];
  for (unsigned key = first; key <= last; ++key) {
    std::snprintf(record, sizeof record, "%08X00080000", key);
    text += record;
  }
  return text;
}

// The table text of file code 24 holding the records.
std::string Held(const std::vector<std::string>& records) {
  std::string text;
  for (const std::string& record : records) text += "24 " + record + "\n";
  return text;
}

const std::vector<std::string> kHeld = {Record(0x101, 6), Record(0x202, 9), Record(0x303, 700)};
const std::string kAllHeld = kHeld[0] + kHeld[1] + kHeld[2];
const char kEnd[] = "E200000000";
// The transfer program's line for the failed scale.
std::string Failed(const std::string& cause) { return "xferlnk: scale 001 (S0001:2001): " + cause + "\n"; }
std::string Dropped(int bytes) {
  return "xferlnk: scale 001 (S0001:2001): " + std::to_string(bytes) + " bytes after a record dropped\n";
}

struct ReadFaultCase {
  const char* name;
  std::vector<std::string> faults;  // the emulator's
  std::vector<std::string> env;
  const char* file_argument;  // F24.DAT: a paired read; F64.DAT (file code 51): a plain one
  std::string err;
  std::string incoming;
  const char* retvals;     // "<missing>": none
  std::string held_after;  // the scale's table text afterwards
};

void PrintTo(const ReadFaultCase& c, std::ostream* out) { *out << c.name; }

class XferlnkReadFaultTest : public testing_support::ShopTest,
                             public ::testing::WithParamInterface<ReadFaultCase> {};

// The scale holds kHeld (file code 24) for each case. No case waits for a
// reply that does not come, so none writes to standard output.
const ReadFaultCase kCases[] = {
    // Each reply in two pieces 100 ms apart: the records and the end reply
    // are gathered whole.
    {"SplitRepliesGiveTheWholeFile", {"--split-reply", "100"}, {}, "F24.DAT", "", kAllHeld + kEnd, "<missing>", ""},
    // Three records a reply: the first is taken, the rest dropped unwritten,
    // and the next read asks for the record after it.
    {"SeveralRecordsInAReplyGiveEachRecordOnce", {"--records-per-reply", "3"}, {}, "F24.DAT",
     Dropped(9 + 700) + Dropped(700), kAllHeld + kEnd, "<missing>", ""},
    // Keys 1, 2, 3, 1: the repeat ends the read. The paired read cleared and
    // wrote records 1 and 2; record 3 was read, neither written nor cleared.
    {"CyclingKeysEndThePairedRead", {"--cycle-keys", "3"}, {}, "F24.DAT",
     Failed("handed out the key 00000001 a second time after 3 records"), MadeUpRecords(1, 2), "-6", Held(kHeld)},
    {"CyclingKeysEndThePlainRead", {"--cycle-keys", "3"}, {}, "F64.DAT",
     Failed("handed out the key 00000001 a second time after 3 records"), MadeUpRecords(1, 3), "-6", Held(kHeld)},
    // Ever new keys: record 51 passes the limit; the paired read wrote the
    // 49 records it cleared, the plain read the 50 it took.
    {"NewKeysEndThePairedReadAtTheRecordLimit", {"--new-keys"}, {"XFLMAXRECORDS=50"}, "F24.DAT",
     Failed("handed out more than 50 records"), MadeUpRecords(1, 49), "-10", Held(kHeld)},
    {"NewKeysEndThePlainReadAtTheRecordLimit", {"--new-keys"}, {"XFLMAXRECORDS=50"}, "F64.DAT",
     Failed("handed out more than 50 records"), MadeUpRecords(1, 50), "-10", Held(kHeld)},
    // The byte limit counts the record read but not yet written: 1430
    // characters take the whole file, 1429 end the paired read before the
    // third record, the first cleared and written, the others kept.
    {"PairedReadTakesAllThatFitsTheByteLimit", {}, {"XFLMAXBYTES=1430"}, "F24.DAT", "", kAllHeld + kEnd, "<missing>",
     ""},
    {"PairedReadEndsAtTheByteLimit", {}, {"XFLMAXBYTES=1429"}, "F24.DAT",
     Failed("handed out more than 1429 bytes of records after 2 records"), kHeld[0], "-10", Held({kHeld[1], kHeld[2]})},
    {"NewKeysEndThePlainReadAtTheByteLimit", {"--new-keys"}, {"XFLMAXBYTES=800"}, "F64.DAT",
     Failed("handed out more than 800 bytes of records after 50 records"), MadeUpRecords(1, 50), "-10", Held(kHeld)},
    // The scale refuses the second read: the read ends at once, nothing
    // cleared.
    {"RefusedReadEndsTheRead", {"--nak", "3"}, {}, "F24.DAT",
     Failed("refused the read of the record after key 00000101 after 1 record"), "", "-9", Held(kHeld)},
    // A length field beyond 6143: neither a record nor an end reply.
    {"LengthBeyondARecordEndsTheRead", {"--reply", "00000001FFFF"}, {}, "F24.DAT",
     Failed("answered a read with something that is neither a record nor an end reply after 0 records"), "", "-6",
     Held(kHeld)},
};

TEST_P(XferlnkReadFaultTest, Reads) {
  const ReadFaultCase& c = GetParam();
  SeedStore(1, Held(kHeld));
  ASSERT_TRUE(StartScales({1}, c.faults));
  std::vector<std::string> env = c.env;
  env.push_back("XFLTIMEOUT=2");
  auto result = Transfer({c.file_argument, "001"}, env, 10000);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.status, std::string(c.retvals) == "<missing>" ? 0 : 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, c.err);
  EXPECT_EQ(Read("QS001T" + std::string(c.file_argument).substr(1)), c.incoming);
  EXPECT_EQ(Read("error"), std::string(c.retvals) == "<missing>" ? "0" : "001");
  EXPECT_EQ(Read("retvals"), c.retvals);
  ASSERT_TRUE(StopScales());
  EXPECT_EQ(testing_support::ReadFile(Store() + "/001/tables.hex"), c.held_after);
}

INSTANTIATE_TEST_SUITE_P(, XferlnkReadFaultTest, ::testing::ValuesIn(kCases), testing_support::CaseName());

// The last key packet goes unanswered (the scale closes), so the file must
// show the read incomplete and the scale still holds the last record: the
// rest of the split end reply is no answer to that key packet.
TEST_F(XferlnkReadFaultTest, SplitEndReplyIsNoAnswerToTheLastKeyPacket) {
  SeedStore(1, Held(kHeld));
  ASSERT_TRUE(StartScales({1}, {"--split-reply", "100", "--close-after", "8"}));
  auto result = Transfer({"F24.DAT", "001"}, {"XFLTIMEOUT=2"}, 10000);
  EXPECT_EQ(result.out, "Nread control 0\n");
  EXPECT_EQ(Read("QS001T24.DAT"), kAllHeld);
  EXPECT_EQ(Read("retvals"), "-3");
  ASSERT_TRUE(StopScales());
  EXPECT_EQ(testing_support::ReadFile(Store() + "/001/tables.hex"), Held({kHeld[2]}));
}

}  // namespace
}  // namespace transfer_tests
