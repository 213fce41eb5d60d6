// The retrieval modes through the built converter, with a stand-in transfer
// program in the working directory: it logs its arguments and writes the
// incoming file the test prepared for that file number (or nothing, as a
// failed fetch does). That shows the report table, the order of the
// fetches, the old report's deletion, the stale-file check and the exit
// codes without a scale.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/shop.h"

namespace {

using testing_support::kBanner;
using testing_support::kFatal;
using testing_support::ProgramResult;

const char kEnd[] = "E200000000";
const char kTransactRecord[] = "00000012" "00" "1D" "00000345" "00001000" "00000000" "0001" "00012345" "000100" "1405";

// Writes the incoming file "QS<scale>T<digits>.DAT" from fetch/T<digits>
// when the test prepared one; truncating in place, as the transfer program
// does.
const char kFakeTransfer[] =
    "#!/bin/sh\n"
    "echo \"$*\" >> xfer.log\n"
    "n=$(printf %s \"$1\" | cut -c2-3)\n"
    "if [ -f \"fetch/T$n\" ]; then cat \"fetch/T$n\" > \"QS$2T$n.DAT\"; fi\n";

std::string MGTotalRecord(const std::string& key) {
  return key + "00" "53" "05" "00" + std::string(143, '0') + "1" + "000009";
}
const char kMGTotalLine[] = "1\t5\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t1\t000009\r\n";

class RetrievalMode : public testing_support::ShopTest {
 protected:
  void SetUp() override {
    Write("xferlnk", kFakeTransfer);
    std::filesystem::permissions(File("xferlnk"), std::filesystem::perms::owner_all);
    std::filesystem::create_directory(File("fetch"));
  }

  // velkocon.ini with the six report keys ("" leaves a key empty).
  void Keys(const std::string& mg, const std::string& plu, const std::string& clerk, const std::string& store,
            const std::string& transact, const std::string& rt) {
    Settings("[Params]\r\nCodePage=Win\r\nMGTotal=" + mg + "\r\nPLUTotal=" + plu + "\r\nClerkTotal=" + clerk +
             "\r\nStoreTotal=" + store + "\r\nTransact=" + transact + "\r\nRTBuffer=" + rt + "\r\n");
  }
  // What the next fetch of a file number brings.
  void Fetch(const std::string& digits, const std::string& text) { Write("fetch/T" + digits, text); }
  std::string TransferLog() { return Read("xfer.log"); }
};

TEST_F(RetrievalMode, KeysEmptyFetchNothing) {
  Keys("", "", "", "", "", "");
  Write("old.txt", "old");
  for (const char* option : {"-Report", "-Transact", "-RTBuffer"}) {
    ProgramResult r = Converter({"001", option});
    EXPECT_EQ(r.status, 0) << option;
    EXPECT_EQ(r.out, kBanner) << option;
    EXPECT_EQ(r.err, "") << option;
  }
  EXPECT_FALSE(Has("xfer.log"));
  EXPECT_EQ(Read("old.txt"), "old");
}

TEST_F(RetrievalMode, ReportModeFetchesInTableOrder) {
  Keys("mg.txt", "plu.txt", "clerk.txt", "store.txt", "tr.txt", "rt.txt");
  Fetch("24", MGTotalRecord("00000001") + kEnd);
  std::string plu = std::string("00000002" "00" "6D") + std::string(14, '1') + "00" + std::string(184, '0') + "000009";
  Fetch("26", plu + kEnd);
  ProgramResult r = Converter({"001", "-Report"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(TransferLog(), "F24.DAT 001\nF26.DAT 001\nF29.DAT 001\nF46.DAT 001\n");
  EXPECT_EQ(Read("mg.txt"), kMGTotalLine);
  std::string plu_line = "2\t" + std::string(14, '1') + "\t";
  for (int i = 0; i < 26; ++i) plu_line += "0\t";
  EXPECT_EQ(Read("plu.txt"), plu_line + "000009\r\n");
  EXPECT_FALSE(Has("clerk.txt"));
  EXPECT_FALSE(Has("store.txt"));
  EXPECT_FALSE(Has("tr.txt"));
}

TEST_F(RetrievalMode, KeysSwitchTheirRows) {
  struct Case {
    std::vector<std::string> keys;  // MGTotal, PLUTotal, ClerkTotal, StoreTotal, Transact, RTBuffer
    const char* option;
    const char* log;
  } cases[] = {
      {{"", "", "c", "", "tr.txt", "rt.txt"}, "-Report", "F29.DAT 001\n"},
      {{"mg.txt", "", "", "s", "tr.txt", ""}, "-Report", "F24.DAT 001\nF46.DAT 001\n"},
      {{"mg.txt", "plu.txt", "c", "s", "tr.txt", ""}, "-Transact", "F30.DAT 001\n"},
      {{"mg.txt", "", "", "", "", "rt.txt"}, "-RTBuffer", "F64.DAT 001\n"},
  };
  Fetch("24", MGTotalRecord("00000001") + kEnd);
  Fetch("30", std::string(kTransactRecord) + kEnd);
  Fetch("64", kEnd);
  for (const Case& c : cases) {
    for (const char* name : {"mg.txt", "tr.txt", "rt.txt", "xfer.log"}) std::filesystem::remove(File(name));
    Keys(c.keys[0], c.keys[1], c.keys[2], c.keys[3], c.keys[4], c.keys[5]);
    ProgramResult r = Converter({"001", c.option});
    EXPECT_EQ(r.status, 0) << c.log;
    EXPECT_EQ(r.out, kBanner) << c.log;
    EXPECT_EQ(TransferLog(), c.log);
    EXPECT_EQ(Has("mg.txt"), std::string(c.log).find("F24") != std::string::npos) << c.log;
    EXPECT_EQ(Has("tr.txt"), std::string(c.log).find("F30") != std::string::npos) << c.log;
    EXPECT_EQ(Has("rt.txt"), std::string(c.log).find("F64") != std::string::npos) << c.log;
  }
}

TEST_F(RetrievalMode, TransactWorkedExample) {
  Keys("", "", "", "", "transact.txt", "");
  Fetch("30", std::string(kTransactRecord) + kEnd);
  ProgramResult r = Converter({"001", "2", "-Transact"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(Read("transact.txt"), "12;345;1000;0;1;12345;100;1405;\r\n");
}

TEST_F(RetrievalMode, RTBufferLinesCarryOneConversionTime) {
  Keys("", "", "", "", "", "rt.txt");
  std::string record = "00000007" + std::string(720, '0');
  Fetch("64", record + record + kEnd);
  ProgramResult r = Converter({"001", "1", "-RTBuffer"});
  EXPECT_EQ(r.status, 0);
  std::string report = Read("rt.txt");
  std::regex pattern(
      "7,0,0,0,0,0,000000,0,0,00000000,([0-3][0-9]/[01][0-9]/20[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9])\r\n"
      "7,0,0,0,0,0,000000,0,0,00000000,\\1\r\n");
  EXPECT_TRUE(std::regex_match(report, pattern)) << report;
}

// A fetch that brings no data: the earlier report is gone and the mode goes on.
TEST_F(RetrievalMode, OldReportDeletedWhenTheFetchBringsNoData) {
  Keys("mg.txt", "plu.txt", "", "", "", "");
  Write("mg.txt", "old totals");
  Fetch("24", "E200");
  Fetch("26", kEnd);
  ProgramResult r = Converter({"001", "-Report"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, std::string("No data for file: mg.txt\n") + kBanner);
  EXPECT_EQ(TransferLog(), "F24.DAT 001\nF26.DAT 001\n");
  EXPECT_FALSE(Has("mg.txt"));
  EXPECT_EQ(Read("plu.txt"), "");
}

// No incoming file after the fetch: the run ends there, without the banner
// and before the later rows.
TEST_F(RetrievalMode, MissingIncomingFileEndsTheRun) {
  Keys("mg.txt", "plu.txt", "c", "", "", "");
  Write("mg.txt", "old totals");
  ProgramResult r = Converter({"001", "-Report"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, kFatal);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(TransferLog(), "F24.DAT 001\n");
  EXPECT_FALSE(Has("mg.txt"));
}

// An incoming file the fetch did not rewrite is an earlier run's: it is not
// converted again, whatever it holds.
TEST_F(RetrievalMode, StaleIncomingFileIsNotConverted) {
  Keys("", "", "", "", "tr.txt", "");
  Write("QS001T30.DAT", std::string(kTransactRecord) + kEnd);
  Write("tr.txt", "old");
  ProgramResult r = Converter({"001", "-Transact"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, kFatal);
  EXPECT_EQ(TransferLog(), "F30.DAT 001\n");
  EXPECT_FALSE(Has("tr.txt"));
  EXPECT_EQ(Read("QS001T30.DAT"), std::string(kTransactRecord) + kEnd) << "the incoming file stays";
}

// The same bytes written anew by the fetch are a fresh file.
TEST_F(RetrievalMode, RewrittenIncomingFileIsConverted) {
  Keys("", "", "", "", "tr.txt", "");
  std::string text = std::string(kTransactRecord) + kEnd;
  Write("QS001T30.DAT", text);
  std::filesystem::last_write_time(File("QS001T30.DAT"),
                                   std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  Fetch("30", text);
  ProgramResult r = Converter({"001", "2", "-Transact"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(Read("tr.txt"), "12;345;1000;0;1;12345;100;1405;\r\n");
}

// Data cut short: the whole records are written, the message names the
// incoming file, the mode goes on, and the exit code tells.
TEST_F(RetrievalMode, IncompleteDataGoesOnWithExitCode4) {
  Keys("mg.txt", "plu.txt", "", "", "", "");
  Fetch("24", MGTotalRecord("00000001") + MGTotalRecord("00000001").substr(0, 100));
  Fetch("26", kEnd);
  ProgramResult r = Converter({"001", "-Report"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, std::string("Incomplete data in file: qs001t24.dat\n") + kBanner);
  EXPECT_EQ(TransferLog(), "F24.DAT 001\nF26.DAT 001\n");
  EXPECT_EQ(Read("mg.txt"), kMGTotalLine);
  EXPECT_EQ(Read("plu.txt"), "");
}

TEST_F(RetrievalMode, ReportFileThatCannotBeCreatedGoesOn) {
  Keys("no-such-folder/mg.txt", "plu.txt", "", "", "", "");
  Fetch("24", MGTotalRecord("00000001") + kEnd);
  Fetch("26", kEnd);
  ProgramResult r = Converter({"001", "-Report"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(r.err, "Could not open file.\n");
  EXPECT_EQ(TransferLog(), "F24.DAT 001\nF26.DAT 001\n");
  EXPECT_EQ(Read("plu.txt"), "");
}

}  // namespace
