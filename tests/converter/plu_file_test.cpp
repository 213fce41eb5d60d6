// The load mode's PLU file through the built converter: text-mode reading,
// blank and malformed lines, long lines, code pages, and the failures that
// end the run. The transfers the converter starts find nothing listening.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/shop.h"

namespace {

using testing_support::ProgramResult;

// "123;APPLES;12.50;0" and "77;PEARS;1,99;0;;2200077" under the default settings.
const std::string kApples =
    "00000123" "0022" "10" "000D2000" "00001250" "110525" "001230000001" "0706" "4150504C4553" "0C00";
const std::string kPears =
    "00000077" "0021" "10" "000D2000" "00000199" "110525" "000770000001" "0705" "5045415253" "0C00";
const std::string kApplesLine = "123;APPLES;12.50;0";
const std::string kPearsLine = "77;PEARS;1,99;0;;2200077";
// "1;A;", a line of five characters with its line feed.
const std::string kShortLine =
    "00000001" "001D" "10" "000D2000" "00000000" "110525" "000010000001" "0701" "41" "0C00";

const char kDefaultIni[] = "[Params]\nCodePage=Win\n";

struct ListCase {
  const char* name;
  std::string price_list;
  std::vector<std::string> arguments;
  int status;
  std::string error_lines;  // the start of standard error
  std::string plu_file;
};

void PrintTo(const ListCase& c, std::ostream* out) { *out << c.name; }

class PluFile : public testing_support::ShopTest, public ::testing::WithParamInterface<ListCase> {
 protected:
  // Runs "VelkoCon 001 2" (or the given arguments) with the price list
  // (none if null) and the settings.
  ProgramResult Load(const std::string* price_list, const std::vector<std::string>& arguments = {"001", "2"},
                     const std::string& ini = kDefaultIni, const std::vector<std::string>& extra_env = {}) {
    Settings(ini);
    if (price_list != nullptr) PriceList(*price_list);
    return Converter(arguments, extra_env);
  }
  ProgramResult Load(const std::string& price_list) { return Load(&price_list); }
};

// Standard error begins with these lines (the transfer launcher may add its own after them).
void ExpectErrorLines(const ProgramResult& r, const std::string& lines) {
  EXPECT_EQ(r.err.substr(0, lines.size()), lines) << r.err;
  EXPECT_EQ(r.err.find("rejected", lines.size()), std::string::npos) << r.err;
}

const ListCase kLists[] = {
    {"CrLfAndCtrlZReadAsTextMode", kApplesLine + "\r\n" + kPearsLine + "\r\n\x1A" + "9;LOST;1.00\r\n", {"001", "2"}, 0,
     "", kApples + kPears},
    // A last line without a line feed, and a CR inside a line, are read too.
    {"LastLineWithoutLineFeedAndCarriageReturnInALine", kApplesLine + "\n12\r3;APPLES;12.5\r0;0", {"001", "2"}, 0, "",
     kApples + kApples},
    {"BlankLinesAreSkippedAndTheListGoesOn", "\n" + kApplesLine + "\n\n   \n\t \n" + kPearsLine + "\n\n", {"001", "2"},
     0, "", kApples + kPears},
    {"EmptyPriceListGivesAnEmptyFile", "", {"001", "2"}, 0, "", ""},
    {"BlankLinesUpToCtrlZGiveAnEmptyFile", "\n \n\x1A" + kApplesLine + "\n", {"001", "2"}, 0, "", ""},
    {"MalformedLinesAreRejectedAndTheLoadGoesOn",
     kApplesLine + "\n" +               // 1
         "1;A;\n" +                     // 2: five characters with the line feed: accepted
         "12;APPLES\n" +                // 3
         "123456789;TOO LONG;1.00\n" +  // 4
         "\n" +                         // 5
         "5;PRICE;1.2.3\n" +            // 6
         "6;CODE;1.00;0;;12A\n" +       // 7
         "7;EXTRA;1.00;0;1000\n" +      // 8
         "ab\n" +                       // 9
         kPearsLine + "\n" +            // 10
         "1;A;",                        // 11: four characters, no line feed
     {"001", "2"},
     5,
     "Line 3 rejected: fewer than three columns\n"
     "Line 4 rejected: PLU number is not 1 to 8 digits\n"
     "Line 6 rejected: price is not a number of at most 8 digits\n"
     "Line 7 rejected: item code is not a number\n"
     "Line 8 rejected: extra number is outside 0 to 999\n"
     "Line 9 rejected: line is shorter than 5 characters\n"
     "Line 11 rejected: line is shorter than 5 characters\n"
     "7 lines of the price list were rejected\n",
     kApples + kShortLine + kPears},
    {"OneRejectedLineIsCountedAlone", kApplesLine + "\nx;y;z\n", {"001", "2"}, 5,
     "Line 2 rejected: PLU number is not 1 to 8 digits\n1 line of the price list was rejected\n", kApples},
    {"TabIsTheSeparatorWithoutADigit", "123\tAPPLES\t12.50\t0\n77\tPEARS\t1,99\t0\t\t2200077\n", {"001"}, 0, "",
     kApples + kPears},
};

TEST_P(PluFile, Lists) {
  const ListCase& c = GetParam();
  ProgramResult r = Load(&c.price_list, c.arguments);
  EXPECT_EQ(r.status, c.status);
  ExpectErrorLines(r, c.error_lines);
  EXPECT_EQ(Read("qs001F25.dat"), c.plu_file);
  // The load mode went on past the PLU file: no shop name, so the empty key file.
  EXPECT_TRUE(Has("qs001f92.DAT"));
}

INSTANTIATE_TEST_SUITE_P(, PluFile, ::testing::ValuesIn(kLists),
                         [](const ::testing::TestParamInfo<ListCase>& info) { return std::string(info.param.name); });

TEST_F(PluFile, LongLinesAreReadWhole) {
  std::string name(150, 'N');
  ProgramResult r = Load("8;" + name + ";2.00;1;;12345;" + std::string(5000, 'x') + ";junk\n" + kApplesLine + "\n");
  EXPECT_EQ(r.status, 0);
  ExpectErrorLines(r, "");
  std::string plu = Read("qs001F25.dat");
  ASSERT_EQ(plu.size(), 2 * 130 + kApples.size());
  EXPECT_EQ(plu.substr(0, 48), "00000008" "0082" "11" "000D2000" "00000200" "110525" "123450000001");
  EXPECT_EQ(plu.substr(2 * 130), kApples);
}

// Of a line, only the first 65536 characters are kept: enough when the
// columns up to the item code end within them (the rest is ignored anyway),
// a rejection when they do not, and memory never grows with a line.
TEST_F(PluFile, HugeLinesKeepMemoryBounded) {
  std::string tail(200000, 'x');
  ProgramResult r = Load("8;NAME;2.00;1;;12345;" + tail + "\n" +  // columns end early: accepted
                         "9;" + tail + ";2.00\n" +                // a 200000-byte name: rejected
                         kApplesLine + "\n");
  EXPECT_EQ(r.status, 5);
  ExpectErrorLines(r, "Line 2 rejected: line is longer than 65536 characters before its item code ends\n"
                      "1 line of the price list was rejected\n");
  std::string plu = Read("qs001F25.dat");
  EXPECT_EQ(plu.substr(0, 48), "00000008" "0020" "11" "000D2000" "00000200" "110525" "123450000001");
  EXPECT_EQ(plu.substr(plu.size() - kApples.size()), kApples);
}

TEST_F(PluFile, NamesFollowTheCodePage) {
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
  Write("cp.txt", "192 128\n193   129\n");
  const std::string list = "9;\xC0\xC1" "A;1;0\n";
  for (const Case& c : cases) {
    ProgramResult r = Load(&list, {"001", "2"}, c.ini, c.env);
    EXPECT_EQ(r.status, 0) << c.ini;
    EXPECT_EQ(Read("qs001F25.dat"),
              std::string("00000009" "001F" "10" "000D2000" "00000001" "110525" "000090000001" "0703") + c.name_hex +
                  "0C00")
        << c.ini;
  }
}

TEST_F(PluFile, ExistingFileIsReplacedWhateverItsLetterCase) {
  Write("QS001F25.DAT", "OLD CONTENTS THAT ARE LONGER THAN THE NEW ONES" + std::string(500, '#'));
  ProgramResult r = Load(kPearsLine + "\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Read("QS001F25.DAT"), kPears);
  EXPECT_FALSE(Has("qs001F25.dat"));
}

TEST_F(PluFile, MissingPriceList) {
  ProgramResult r = Load(nullptr);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Could not open file.\n");
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(Has("qs001F25.dat"));
}

TEST_F(PluFile, PluFileCannotBeCreated) {
  ASSERT_EQ(mkdir(File("qs001F25.dat").c_str(), 0755), 0);
  ProgramResult r = Load(kApplesLine + "\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Could not create file.\n");
  EXPECT_EQ(r.out, "");
}

TEST_F(PluFile, WriteErrorOnClosingIsReported) {
  ASSERT_EQ(symlink("/dev/full", File("qs001F25.dat").c_str()), 0);
  ProgramResult r = Load(kApplesLine + "\nx;y;z\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err,
            "Line 2 rejected: PLU number is not 1 to 8 digits\n"
            "1 line of the price list was rejected\n"
            "Could not write file.\n");
  EXPECT_EQ(r.out, "");  // no transfer, no banner
  EXPECT_FALSE(Has("qs001f92.DAT"));
}

TEST_F(PluFile, WriteErrorWhileWritingIsReported) {
  std::string list;
  for (int i = 1; i <= 5000; ++i) list += std::to_string(i) + ";ARTICLE NUMBER " + std::to_string(i) + ";1.99;0\n";
  constexpr rlim_t kLimit = 8192;
  PriceList(list);
  ProgramResult r;
  {
    testing_support::FileSizeLimit limit(kLimit);
    r = Load(nullptr);
  }
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Could not write file.\n");
  EXPECT_EQ(r.out, "");
  EXPECT_LE(Read("qs001F25.dat").size(), kLimit);
}

}  // namespace
