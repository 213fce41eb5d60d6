// The retrieval modes through the built converter, with a stand-in transfer
// program in the working directory: it logs its arguments and writes the
// incoming file the test prepared for that file number (or nothing, as a
// failed fetch does). That shows the report table, the order of the
// fetches, the old report's deletion, the stale-file check and the exit
// codes without a scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/shop.h"
#include "worked_transaction.h"

namespace {

using testing_support::CauseLine;
using testing_support::Reason;
using converter_tests::kEnd;
using converter_tests::kTransactLine;
using converter_tests::kTransactRecord;
using testing_support::kBanner;
using testing_support::kFatal;
using testing_support::ProgramResult;


// Writes the incoming file "QS<scale>T<digits>.DAT" from fetch/T<digits>
// when the test prepared one; truncating in place, as the transfer program
// does. It reports success in its result file as the transfer program does.
const char kFakeTransfer[] =
    "#!/bin/sh\n"
    "echo \"$*\" >> xfer.log\n"
    "n=$(printf %s \"$1\" | cut -c2-3)\n"
    "if [ -f \"fetch/T$n\" ]; then cat \"fetch/T$n\" > \"QS$2T$n.DAT\"; fi\n"
    "printf 0 > error\n";

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
  // Runs the "-Transact" mode with semicolons and expects the report of
  // kTransactRecord in report.
  void ExpectTransactLine(const std::string& report) {
    ProgramResult r = Converter({"001", "2", "-Transact"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kBanner);
    EXPECT_EQ(Read(report), kTransactLine);
  }
  // The bytes of every file in the archive, sorted; with their names.
  std::vector<std::string> ArchivedTexts(std::vector<std::string>* names = nullptr) {
    std::vector<std::pair<std::string, std::string>> files;
    if (std::filesystem::exists(File("archive"))) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(File("archive"))) {
        if (!entry.is_regular_file()) continue;
        files.push_back({entry.path().filename().string(), testing_support::ReadFile(entry.path().string())});
      }
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> texts;
    for (const auto& [name, text] : files) {
      if (names != nullptr) names->push_back(name);
      texts.push_back(text);
    }
    return texts;
  }
};

TEST_F(RetrievalMode, KeysEmptyFetchNothing) {
  Keys("", "", "", "", "", "");
  Write("old.txt", "old");
  const struct {
    const char* option;
    const char* keys;
  } cases[] = {{"-Report", "MGTotal=, PLUTotal=, ClerkTotal= or StoreTotal="},
               {"-Transact", "Transact="},
               {"-RTBuffer", "RTBuffer="}};
  for (const auto& c : cases) {
    ProgramResult r = Converter({"001", c.option});
    EXPECT_EQ(r.status, 0) << c.option;
    EXPECT_EQ(r.out, kBanner) << c.option;
    EXPECT_EQ(r.err, std::string("Nothing to fetch: name the report file with ") + c.keys + " in velkocon.ini.\n");
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
  ExpectTransactLine("transact.txt");
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
  EXPECT_EQ(r.err, "VelkoCon: the fetch of F24.DAT from scale 001 brought no file qs001t24.dat\n");
  EXPECT_EQ(TransferLog(), "F24.DAT 001\n");
  EXPECT_FALSE(Has("mg.txt"));
}

// An incoming file an earlier run left and no report holds (the run was
// killed before its report) is reported by the next run, ahead of what its
// own fetch brings; then it is in the archive, and no later run reports it
// again.
TEST_F(RetrievalMode, LeftoverIncomingFileIsReportedOnce) {
  Keys("", "", "", "", "tr.txt", "");
  Write("QS001T30.DAT", std::string(kTransactRecord) + kEnd);
  Write("tr.txt", "old");
  ProgramResult r = Converter({"001", "-Transact"});  // the fetch brings nothing
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(Read("tr.txt"), "12\t345\t1000\t0\t1\t12345\t100\t1405\t\r\n");
  EXPECT_FALSE(Has("QS001T30.DAT"));
  std::vector<std::string> names;
  ArchivedTexts(&names);
  EXPECT_EQ(names.size(), 2u) << "the incoming file and the report";

  r = Converter({"001", "-Transact"});  // nothing left, nothing fetched
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, kFatal);
  EXPECT_EQ(TransferLog(), "F30.DAT 001\nF30.DAT 001\n");
  EXPECT_FALSE(Has("tr.txt"));
}

// An incoming file that a report holds is not reported again; the same bytes
// written anew by the fetch are a fresh file.
TEST_F(RetrievalMode, ReportedIncomingFileIsNotReportedAgainButARewrittenOneIs) {
  Keys("", "", "", "", "tr.txt", "");
  std::string text = std::string(kTransactRecord) + kEnd;
  Fetch("30", text);
  ProgramResult r = Converter({"001", "2", "-Transact"});
  EXPECT_EQ(r.status, 0);
  r = Converter({"001", "2", "-Transact"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(Read("tr.txt"), "12;345;1000;0;1;12345;100;1405;\r\n");
}

// Data cut short: the whole records are written, the message names the
// incoming file, the mode goes on, and the exit code tells. (The fetch
// stood in for here went well: no record is held back.)
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
  EXPECT_EQ(r.err, "Could not open file.\n" + CauseLine("cannot create no-such-folder/mg.txt", Reason::kNoSuchFile));
  EXPECT_EQ(TransferLog(), "F24.DAT 001\nF26.DAT 001\n");
  EXPECT_EQ(Read("plu.txt"), "");
}

// A header line of the column names on top of the report when the settings
// ask for it; a report name with {scale} gets the scale's.
TEST_F(RetrievalMode, ReportHeaderAndScaleInTheName) {
  Settings("[Params]\nTransact=tr-{scale}.txt\nReport Header=1\n");
  Fetch("30", std::string(kTransactRecord) + kEnd);
  ProgramResult r = Converter({"001", "2", "-Transact"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Read("tr-001.txt"),
            std::string("Ticket;PLU;Grams;Pieces;Clerk;Amount;Date;Time;\r\n") + kTransactLine);
}

// Nothing a fetch brought is replaced unconverted: the incoming file is kept
// in the archive as soon as it has come, the report as soon as it is
// written, a leftover moved there before the next fetch (once only), under
// names that carry the scale, the file and the time.
TEST_F(RetrievalMode, ArchiveKeepsEveryFetchAndReport) {
  Keys("", "", "", "", "tr-{scale}.txt", "");
  const std::string first = std::string(kTransactRecord) + kEnd;
  Fetch("30", first);
  ProgramResult r = Converter({"001", "2", "-Transact"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Read("tr-001.txt"), kTransactLine);
  std::vector<std::string> names;
  EXPECT_EQ(ArchivedTexts(&names), (std::vector<std::string>{kTransactLine, first}));
  ASSERT_EQ(names.size(), 2u);
  EXPECT_TRUE(std::regex_match(names[0], std::regex("001-tr-001-[0-9]{6}\\.txt"))) << names[0];
  EXPECT_TRUE(std::regex_match(names[1], std::regex("QS001T30-[0-9]{6}\\.DAT"))) << names[1];

  // The next fetch: the leftover is already kept, and not twice.
  std::filesystem::remove(File("fetch/T30"));
  r = Converter({"001", "2", "-Transact"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, kFatal);
  EXPECT_EQ(ArchivedTexts().size(), 2u);
  EXPECT_FALSE(Has("QS001T30.DAT"));
}

// -NoFetch turns an incoming file that is already there (an archived fetch
// copied back) into its report, starting no transfer.
TEST_F(RetrievalMode, NoFetchConvertsTheIncomingFileThatIsThere) {
  Keys("", "", "", "", "tr.txt", "");
  Write("qs001t30.dat", std::string(kTransactRecord) + kEnd);
  ProgramResult r = Converter({"001", "2", "-transact", "-nofetch"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Read("tr.txt"), kTransactLine);
  EXPECT_FALSE(Has("xfer.log"));
  EXPECT_EQ(Read("qs001t30.dat"), std::string(kTransactRecord) + kEnd);
}

// A failed fetch is named, and the run ends with exit code 4.
TEST_F(RetrievalMode, FailedTransferIsNamed) {
  Keys("", "", "", "", "tr.txt", "");
  Write("xferlnk", "#!/bin/sh\nprintf 001 > error\nprintf -- -6 > retvals\nexit 1\n");
  ProgramResult r = Converter({"001", "-Transact"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, kFatal);
  EXPECT_EQ(r.err, "Transfer of F30.DAT to scale 001 failed: a reply is missing, or the scale's records did not end "
                   "as they must (result -6)\n"
                   "VelkoCon: the fetch of F30.DAT from scale 001 brought no file qs001t30.dat\n");
}

// Report names stay in the shop's folder.
TEST_F(RetrievalMode, ReportNamesThatLeaveTheFolderOrNameTheProgramsFiles) {
  const struct {
    const char* key;
    const char* value;
    const char* message;
  } cases[] = {
      {"RTBuffer", "velkocon.ini", "The report file RTBuffer=velkocon.ini names a file of the programs.\n"},
      {"RTBuffer", "QS{scale}T64.DAT", "The report file RTBuffer=QS{scale}T64.DAT names a file of the programs.\n"},
      {"Transact", "../x", "The report file Transact=../x is outside the working folder.\n"},
      {"Transact", "/tmp/x", "The report file Transact=/tmp/x is outside the working folder.\n"},
      {"Transact", "sub\\..\\..\\x", "The report file Transact=sub\\..\\..\\x is outside the working folder.\n"},
      {"Transact", "VelkoCon.txt. ", "The report file Transact=VelkoCon.txt. names a file of the programs.\n"},
      {"Transact", "sub/NUL.csv", "The report file Transact=sub/NUL.csv names a device.\n"},
      // The log and the archive keep to the same rule.
      {"Log File", "VelkoCon.txt", "The setting Log File=VelkoCon.txt names a file of the programs.\n"},
      {"Log File", "/tmp/run.log", "The setting Log File=/tmp/run.log is outside the working folder.\n"},
      {"Archive", "..\\archive", "The setting Archive=..\\archive is outside the working folder.\n"},
      {"Archive", "velkocon.ini", "The setting Archive=velkocon.ini names a file of the programs.\n"},
  };
  for (const auto& c : cases) {
    Settings(std::string("[Params]\n") + c.key + "=" + c.value + "\n");
    ProgramResult r = Converter({"001", "-RTBuffer"});
    EXPECT_EQ(r.status, 255) << c.value;
    EXPECT_EQ(r.out, c.message);
    EXPECT_TRUE(Has("velkocon.ini"));
  }
  std::filesystem::create_directory(File("reports"));
  Settings("[Params]\nTransact=reports/tr.txt\n");
  Fetch("30", std::string(kTransactRecord) + kEnd);
  EXPECT_EQ(Converter({"001", "-Transact"}).status, 0) << "a subfolder is fine";
  EXPECT_TRUE(Has("reports/tr.txt"));
}

TEST_F(RetrievalMode, SettingsWarnings) {
  const struct {
    const char* ini;
    const char* err;
  } cases[] = {
      {"Transact=tr.txt\n", "velkocon.ini has no [Params] section: every setting takes its default.\n"
                            "Nothing to fetch: name the report file with Transact= in velkocon.ini.\n"},
      {"[Params]\nTransact=tr.txt\nShop Nmae=X\nLabel Format=1O\n",
       "velkocon.ini: \"Shop Nmae\" is not a setting; it is left alone.\n"
       "velkocon.ini: Label Format=1O is not a number.\n"},
  };
  Fetch("30", std::string(kTransactRecord) + kEnd);
  for (const auto& c : cases) {
    Settings(c.ini);
    ProgramResult r = Converter({"001", "-Transact"});
    EXPECT_EQ(r.status, 0) << c.ini;
    EXPECT_EQ(r.err, c.err);
  }
}

}  // namespace
