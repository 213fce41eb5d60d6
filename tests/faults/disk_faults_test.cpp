// Full disks and files that cannot be made, written, renamed or locked, each
// staged by the test Env while both programs run in the test's process
// against the scale emulator. Each row says what the run must leave behind:
// its exit code, both streams byte for byte, and how many records the scale
// holds afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/in_process_shop.h"

namespace {

using testing_support::FileOp;
using testing_support::InProcessShop;

const char kSettings[] = "[Params]\r\nCodePage=Win\r\nShop Name=Corner\r\nTransact=transact.txt\r\n";
const char kPriceList[] = "1;Bananas;1.29;0\n2;Apples;2.49;0;;20002\n3;Milk;0.89;1\n";
// Three transactions the scale holds before a fetch.
const char kTransactions[] =
    "2E 00000001001D0000002600002378000000000004000047080712260803\n"
    "2E 00000002001D0000002200002030000000000005000020280712260805\n"
    "2E 00000003001D0000000800000000000000010002000000790712260806\n";

enum class Job { kLoad, kFetch };

struct DiskCase {
  const char* name;
  Job job;
  FileOp op;
  int nth;
  const char* file;  // a part of the name of the file that fails
  int status;
  // The streams, with "@" for the scale identifier, "#" for its port and "$"
  // for the reason the system gives for the failure.
  const char* out;
  const char* err;
  int held;  // load: PLUs the scale holds afterwards; fetch: transactions it still holds
};

std::string Filled(std::string text, const InProcessShop& shop, const std::string& reason) {
  for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, shop.scale());
  for (std::size_t at; (at = text.find('#')) != std::string::npos;) text.replace(at, 1, std::to_string(shop.port()));
  for (std::size_t at; (at = text.find('$')) != std::string::npos;) text.replace(at, 1, reason);
  return text;
}

void PrintTo(const DiskCase& c, std::ostream* out) { *out << c.name; }

class DiskFaults : public ::testing::TestWithParam<DiskCase> {};

TEST_P(DiskFaults, LeaveWhatTheyMust) {
  const DiskCase& c = GetParam();
  InProcessShop shop;
  shop.Write("velkocon.ini", kSettings);
  shop.Write("VelkoCon.txt", kPriceList);
  testing_support::WriteFile(shop.ProgramFile("F34.DAT"), "00000001000A07024142");
  testing_support::WriteFile(shop.ProgramFile("F38.DAT"), "0000000100080001");
  if (c.job == Job::kFetch) shop.SeedScale(kTransactions);
  ASSERT_TRUE(shop.StartScale());
  const platform::SystemStatus failure = testing_support::DiskFull();
  shop.env().FailNth(c.op, c.nth, c.file, failure);

  const testing_support::InProcessRun r =
      c.job == Job::kLoad ? shop.Converter({shop.scale(), "2"}) : shop.Converter({shop.scale(), "2", "-Transact"});
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.out, Filled(c.out, shop, failure.message()));
  EXPECT_EQ(r.err, Filled(c.err, shop, failure.message()));
  ASSERT_TRUE(shop.StopScale());
  EXPECT_EQ(shop.Held(c.job == Job::kLoad ? "25" : "2E").size(), static_cast<std::size_t>(c.held));
  // A report not written whole is no report, under its name or beside it.
  if (c.job == Job::kFetch && c.status != 0) {
    EXPECT_FALSE(shop.Has("transact.txt.part"));
  }
}

#define BANNER "Conversion finished.\nPrice-list converter for networked scales.\n"
// The lines of a fetch whose incoming file did not take a reply.
#define INCOMING_FAILED                                                                       \
  "xferlnk: scale @ (@:#): the file QS@T30.DAT did not take a reply\n"                      \
  "Transfer of F30.DAT to scale @ failed: a key packet got no reply, or the incoming file did " \
  "not take a reply (result -3)\n"

std::string CaseName(const ::testing::TestParamInfo<DiskCase>& param) { return param.param.name; }

INSTANTIATE_TEST_SUITE_P(
    Cases, DiskFaults,
    ::testing::Values(
        DiskCase{"plu_file_full", Job::kLoad, FileOp::kWrite, 2, "F25", 3, "",
                 "Could not write file.\nVelkoCon: cannot write qs@F25.dat: $\n", 0},
        DiskCase{"plu_file_not_closed", Job::kLoad, FileOp::kClose, 1, "F25", 3, "",
                 "Could not write file.\nVelkoCon: cannot write qs@F25.dat: $\n", 0},
        DiskCase{"prepared_file_not_copied", Job::kLoad, FileOp::kCopy, 1, "F34", 3, "",
                 "Could not write file.\nVelkoCon: cannot write qs@F34.DAT: $\n", 0},
        DiskCase{"store_name_not_created", Job::kLoad, FileOp::kCreate, 1, "F52", 3, "",
                 "Could not create file.\nVelkoCon: cannot create qs@F52.dat: $\n", 3},
        DiskCase{"lock_not_taken", Job::kLoad, FileOp::kLock, 1, "velkocon.lck", 3, "",
                 "Could not create the lock file velkocon.lck: $\n", 0},
        DiskCase{"log_not_written", Job::kLoad, FileOp::kAppend, 1, "velkocon.log", 0, BANNER,
                 "The log velkocon.log cannot be written; the run goes on without it.\n", 3},
        DiskCase{"incoming_full_at_once", Job::kFetch, FileOp::kWrite, 1, "T30", 4,
                 "file write error\nNo data for file: transact.txt\n" BANNER, INCOMING_FAILED, 3},
        DiskCase{"incoming_full_at_the_third", Job::kFetch, FileOp::kWrite, 3, "T30", 4,
                 "file write error\nIncomplete data in file: qs@t30.dat\n" BANNER, INCOMING_FAILED, 1},
        // A record is on the disk before the key packet that clears it: the
        // second record's sync fails, and the scale keeps it and the third.
        DiskCase{"incoming_not_synced", Job::kFetch, FileOp::kSync, 2, "T30", 4,
                 "file write error\nIncomplete data in file: qs@t30.dat\n" BANNER, INCOMING_FAILED, 2},
        DiskCase{"report_not_synced", Job::kFetch, FileOp::kSync, 1, "transact.txt", 4, BANNER,
                 "Could not write file.\nVelkoCon: cannot write transact.txt: $\n", 0},
        DiskCase{"report_full", Job::kFetch, FileOp::kWrite, 1, "transact.txt", 4, BANNER,
                 "Could not write file.\nVelkoCon: cannot write transact.txt: $\n", 0},
        DiskCase{"report_not_renamed", Job::kFetch, FileOp::kRename, 1, "transact.txt", 4, BANNER,
                 "Could not write file.\nVelkoCon: cannot write transact.txt: $\n", 0},
        // The report holds what was fetched; the run tells that the archive
        // does not.
        DiskCase{"archive_copy_full", Job::kFetch, FileOp::kCopy, 1, "t30", 4, BANNER,
                 "Could not keep qs@t30.dat in the archive: $\n", 0}),
    CaseName);

// Counts the lines of a text.
std::size_t Lines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

// A fetch whose report was not written leaves its incoming file; the next
// run takes its records in, then cannot move the file into the archive and
// ends. The run after that must not take them in a second time.
TEST(LeftoverFaults, RecordsOfALeftoverTheArchiveCannotKeepAreReportedOnce) {
  InProcessShop shop;
  shop.Write("velkocon.ini", kSettings);
  shop.SeedScale(kTransactions);
  ASSERT_TRUE(shop.StartScale());
  const std::vector<std::string> fetch = {shop.scale(), "2", "-Transact"};
  shop.env().FailNth(FileOp::kRename, 1, "transact.txt");
  EXPECT_EQ(shop.Converter(fetch).status, 4);
  shop.env().FailNth(FileOp::kRemove, 1, "t30.dat");  // the leftover, already in the archive
  EXPECT_EQ(shop.Converter(fetch).status, 4);
  EXPECT_FALSE(shop.Has("transact.txt"));
  const testing_support::InProcessRun r = shop.Converter(fetch);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(shop.Read("transact.txt")), 3u) << shop.Read("transact.txt");
  ASSERT_TRUE(shop.StopScale());
}

// A table line of group totals (file code 24): the group, its weighed
// sales, the rest zeros.
std::string GroupTotals(int group, char sales) {
  std::string record = "0000000" + std::to_string(group) + "0053" + std::string(154, '0');
  record[23] = sales;
  return "24 " + record + "\n";
}

// Totals add up under their key, so a later fetch cannot tell whether the
// scale cleared the totals whose key packet went unanswered: they go into
// this run's report, which says the next one may count them again, and are
// never added to a later report beside the scale's grown totals.
TEST(LeftoverFaults, TotalsWhoseClearingWentUnansweredAreReportedAtOnce) {
  InProcessShop shop;
  shop.Write("velkocon.ini", "[Params]\r\nCodePage=Win\r\nMGTotal=mgtotal.txt\r\n");
  shop.SeedScale(GroupTotals(1, '1') + GroupTotals(2, '2') + GroupTotals(3, '3'));
  // The key packet of the third record (request 8) is not answered.
  ASSERT_TRUE(shop.StartScale({"--close-after", "8"}));
  const std::vector<std::string> fetch = {shop.scale(), "2", "-Report"};
  testing_support::InProcessRun r = shop.Converter(fetch);
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("did not answer whether it cleared the last record of " + shop.ScaleFile("t24.dat") +
                       "; it is in mgtotal.txt"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(Lines(shop.Read("mgtotal.txt")), 3u) << shop.Read("mgtotal.txt");
  ASSERT_TRUE(shop.StopScale());
  // The scale kept them and sold more under that key.
  shop.SeedScale(GroupTotals(3, '9'));
  ASSERT_TRUE(shop.StartScale());
  r = shop.Converter(fetch);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(shop.Read("mgtotal.txt")), 1u) << shop.Read("mgtotal.txt");
  ASSERT_TRUE(shop.StopScale());
}

}  // namespace
