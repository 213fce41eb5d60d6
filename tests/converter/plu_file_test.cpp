// The load mode's PLU file through the built converter: text-mode reading,
// blank and malformed lines, long lines, code pages, and the failures that
// end the run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using testing_support::BinPath;
using testing_support::Exists;
using testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFile;

// "123;APPLES;12.50;0" and "77;PEARS;1,99;0;;2200077" under the default settings.
const std::string kApples =
    "00000123" "0022" "10" "000D2000" "00001250" "110525" "001230000001" "0706" "4150504C4553" "0C00";
const std::string kPears =
    "00000077" "0021" "10" "000D2000" "00000199" "110525" "000770000001" "0705" "5045415253" "0C00";
const char kApplesLine[] = "123;APPLES;12.50;0";
const char kPearsLine[] = "77;PEARS;1,99;0;;2200077";

const char kDefaultIni[] = "[Params]\nCodePage=Win\n";

// Runs "VelkoCon 001 2" (or the given arguments) in dir with the ini and the
// price list; the transfers it starts find nothing listening.
ProgramResult RunLoad(const TempDir& dir, const std::string& ini, const std::string* price_list,
                      std::vector<std::string> arguments = {"001", "2"},
                      std::vector<std::string> extra_env = {}) {
  WriteFile(dir.File("velkocon.ini"), ini);
  if (price_list != nullptr) WriteFile(dir.File("VelkoCon.txt"), *price_list);
  std::vector<std::string> env = testing_support::HostsEnvironment(
      dir.File("hosts"), {{"S0001", testing_support::LoopbackAddressForTest()}});
  env.insert(env.end(), extra_env.begin(), extra_env.end());
  return RunProgram(BinPath("VelkoCon"), arguments, dir.path(), env);
}

ProgramResult RunLoad(const TempDir& dir, const std::string& price_list) {
  return RunLoad(dir, kDefaultIni, &price_list);
}

std::string PluFile(const TempDir& dir) { return ReadFile(dir.File("qs001F25.dat")); }

// Standard error begins with these lines (the transfer launcher may add its own after them).
void ExpectErrorLines(const ProgramResult& r, const std::string& lines) {
  EXPECT_EQ(r.err.substr(0, lines.size()), lines) << r.err;
  EXPECT_EQ(r.err.find("rejected", lines.size()), std::string::npos) << r.err;
}

TEST(PluFile, CrLfAndCtrlZReadAsTextMode) {
  TempDir dir;
  ProgramResult r = RunLoad(dir, std::string(kApplesLine) + "\r\n" + kPearsLine + "\r\n\x1A" + "9;LOST;1.00\r\n");
  EXPECT_EQ(r.status, 0);
  ExpectErrorLines(r, "");
  EXPECT_EQ(PluFile(dir), kApples + kPears);
  // A last line without a line feed, and a CR inside a line, are read too.
  TempDir bare;
  r = RunLoad(bare, std::string(kApplesLine) + "\n12\r3;APPLES;12.5\r0;0");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(PluFile(bare), kApples + kApples);
}

TEST(PluFile, BlankLinesAreSkippedAndTheListGoesOn) {
  TempDir dir;
  ProgramResult r = RunLoad(dir, std::string("\n") + kApplesLine + "\n\n   \n\t \n" + kPearsLine + "\n\n");
  EXPECT_EQ(r.status, 0);
  ExpectErrorLines(r, "");
  EXPECT_EQ(PluFile(dir), kApples + kPears);
  // The load mode went on past the PLU file: no shop name, so the empty key file.
  EXPECT_TRUE(Exists(dir.File("qs001f92.DAT")));
}

TEST(PluFile, EmptyPriceListGivesAnEmptyFile) {
  TempDir dir;
  ProgramResult r = RunLoad(dir, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(PluFile(dir), "");
  TempDir blank;
  r = RunLoad(blank, "\n \n\x1A" + std::string(kApplesLine) + "\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(PluFile(blank), "");
}

TEST(PluFile, MalformedLinesAreRejectedAndTheLoadGoesOn) {
  TempDir dir;
  std::string list = std::string(kApplesLine) + "\n" +  // 1
                     "1;A;\n" +                          // 2: five characters with the line feed: accepted
                     "12;APPLES\n" +                     // 3
                     "123456789;TOO LONG;1.00\n" +       // 4
                     "\n" +                              // 5
                     "5;PRICE;1.2.3\n" +                 // 6
                     "6;CODE;1.00;0;;12A\n" +            // 7
                     "7;EXTRA;1.00;0;1000\n" +           // 8
                     "ab\n" +                            // 9
                     kPearsLine + "\n" +                 // 10
                     "1;A;";                             // 11: four characters, no line feed
  ProgramResult r = RunLoad(dir, list);
  EXPECT_EQ(r.status, 5);
  ExpectErrorLines(r,
                   "Line 3 rejected: fewer than three columns\n"
                   "Line 4 rejected: PLU number is not 1 to 8 digits\n"
                   "Line 6 rejected: price is not a number of at most 8 digits\n"
                   "Line 7 rejected: item code is not a number\n"
                   "Line 8 rejected: extra number is outside 0 to 999\n"
                   "Line 9 rejected: line is shorter than 5 characters\n"
                   "Line 11 rejected: line is shorter than 5 characters\n"
                   "7 lines of the price list were rejected\n");
  const std::string short_line =
      "00000001" "001D" "10" "000D2000" "00000000" "110525" "000010000001" "0701" "41" "0C00";
  EXPECT_EQ(PluFile(dir), kApples + short_line + kPears);
  EXPECT_TRUE(Exists(dir.File("qs001f92.DAT")));

  TempDir one;
  r = RunLoad(one, std::string(kApplesLine) + "\nx;y;z\n");
  EXPECT_EQ(r.status, 5);
  ExpectErrorLines(r, "Line 2 rejected: PLU number is not 1 to 8 digits\n"
                      "1 line of the price list was rejected\n");
  EXPECT_EQ(PluFile(one), kApples);
}

TEST(PluFile, LongLinesAreReadWhole) {
  TempDir dir;
  std::string name(150, 'N');
  std::string list = "8;" + name + ";2.00;1;;12345;" + std::string(5000, 'x') + ";junk\n" + kApplesLine + "\n";
  ProgramResult r = RunLoad(dir, list);
  EXPECT_EQ(r.status, 0);
  ExpectErrorLines(r, "");
  std::string plu = PluFile(dir);
  ASSERT_EQ(plu.size(), 2 * 130 + kApples.size());
  EXPECT_EQ(plu.substr(0, 48), "00000008" "0082" "11" "000D2000" "00000200" "110525" "123450000001");
  EXPECT_EQ(plu.substr(2 * 130), kApples);
}

// Of a line, only the first 65536 characters are kept: enough when the
// columns up to the item code end within them (the rest is ignored anyway),
// a rejection when they do not, and memory never grows with a line.
TEST(PluFile, HugeLinesKeepMemoryBounded) {
  TempDir dir;
  std::string tail(200000, 'x');
  std::string list = "8;NAME;2.00;1;;12345;" + tail + "\n" +  // columns end early: accepted
                     "9;" + tail + ";2.00\n" +                // a 200000-byte name: rejected
                     kApplesLine + "\n";
  ProgramResult r = RunLoad(dir, list);
  EXPECT_EQ(r.status, 5);
  ExpectErrorLines(r, "Line 2 rejected: line is longer than 65536 characters before its item code ends\n"
                      "1 line of the price list was rejected\n");
  std::string plu = PluFile(dir);
  EXPECT_EQ(plu.substr(0, 48), "00000008" "0020" "11" "000D2000" "00000200" "110525" "123450000001");
  EXPECT_EQ(plu.substr(plu.size() - kApples.size()), kApples);
}

TEST(PluFile, TabIsTheSeparatorWithoutADigit) {
  TempDir dir;
  const std::string list = "123\tAPPLES\t12.50\t0\n77\tPEARS\t1,99\t0\t\t2200077\n";
  ProgramResult r = RunLoad(dir, kDefaultIni, &list, {"001"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(PluFile(dir), kApples + kPears);
}

TEST(PluFile, NamesFollowTheCodePage) {
  struct Case {
    const char* ini;
    std::vector<std::string> env;
    const char* name_hex;
  } cases[] = {
      {"[Params]\nCodePage=Win\n", {}, "C0C141"},
      {"[Params]\nCodePage=OEM\nPageDetail=\\cp.txt\n", {}, "808141"},
      {"[Params]\nCodePage=dos\n", {}, "000000"},
      {"[Params]\n", {"VELKOCON_CODEPAGES=1251:866"}, "808141"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteFile(dir.File("cp.txt"), "192 128\n193   129\n");
    const std::string list = "9;\xC0\xC1" "A;1;0\n";
    ProgramResult r = RunLoad(dir, c.ini, &list, {"001", "2"}, c.env);
    EXPECT_EQ(r.status, 0) << c.ini;
    EXPECT_EQ(PluFile(dir), std::string("00000009" "001F" "10" "000D2000" "00000001" "110525" "000090000001" "0703") +
                                c.name_hex + "0C00")
        << c.ini;
  }
}

TEST(PluFile, ExistingFileIsReplacedWhateverItsLetterCase) {
  TempDir dir;
  WriteFile(dir.File("QS001F25.DAT"), "OLD CONTENTS THAT ARE LONGER THAN THE NEW ONES" + std::string(500, '#'));
  ProgramResult r = RunLoad(dir, std::string(kPearsLine) + "\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir.File("QS001F25.DAT")), kPears);
  EXPECT_FALSE(Exists(dir.File("qs001F25.dat")));
}

TEST(PluFile, MissingPriceList) {
  TempDir dir;
  ProgramResult r = RunLoad(dir, kDefaultIni, nullptr);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Could not open file.\n");
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(Exists(dir.File("qs001F25.dat")));
}

TEST(PluFile, PluFileCannotBeCreated) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.File("qs001F25.dat").c_str(), 0755), 0);
  ProgramResult r = RunLoad(dir, std::string(kApplesLine) + "\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Could not create file.\n");
  EXPECT_EQ(r.out, "");
}

TEST(PluFile, WriteErrorOnClosingIsReported) {
  TempDir dir;
  ASSERT_EQ(symlink("/dev/full", dir.File("qs001F25.dat").c_str()), 0);
  ProgramResult r = RunLoad(dir, std::string(kApplesLine) + "\nx;y;z\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err,
            "Line 2 rejected: PLU number is not 1 to 8 digits\n"
            "1 line of the price list was rejected\n"
            "Could not write file.\n");
  EXPECT_EQ(r.out, "");  // no transfer, no banner
  EXPECT_FALSE(Exists(dir.File("qs001f92.DAT")));
}

TEST(PluFile, WriteErrorWhileWritingIsReported) {
  TempDir dir;
  std::string list;
  for (int i = 1; i <= 5000; ++i) list += std::to_string(i) + ";ARTICLE NUMBER " + std::to_string(i) + ";1.99;0\n";
  constexpr rlim_t kLimit = 8192;
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  WriteFile(dir.File("VelkoCon.txt"), list);
  // The converter inherits the limit and the ignored signal, so a write past
  // the limit fails instead of ending the process.
  struct rlimit limited = saved;
  limited.rlim_cur = kLimit;
  void (*saved_handler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  ProgramResult r = RunLoad(dir, kDefaultIni, nullptr);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, saved_handler);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Could not write file.\n");
  EXPECT_EQ(r.out, "");
  EXPECT_LE(ReadFile(dir.File("qs001F25.dat")).size(), kLimit);
}

}  // namespace
