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

using testing_support::CauseLine;
using testing_support::Reason;
using testing_support::Hex;
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
const char kUtf8Note[] =
    "Note: VelkoCon.txt is read as UTF-8 (no byte-order mark); set Price List Encoding=ANSI if it is not\n";

// The item code of kPearsLine is longer than barcode type 5 keeps.
std::string PearsWarning(int line) {
  return "Line " + std::to_string(line) +
         " warning: item code \"2200077\" is longer than the 5 digits barcode type 5 keeps; the barcode carries "
         "00077\n";
}

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
  // A scale to load into, so that the loads go through.
  void SetUp() override {
    PreparedFiles("000000010006", "000000010006");
    ASSERT_TRUE(StartScales());
  }

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

const char kNoArticle[] = "The price list holds no article: nothing was sent to the scale.\n";

// The record texts of a PLU file, each cut where its length field says.
std::vector<std::string> Records(const std::string& plu_file) {
  std::vector<std::string> records;
  for (std::size_t at = 0; at + 12 <= plu_file.size();) {
    std::size_t length = 2 * std::stoul(plu_file.substr(at + 8, 4), nullptr, 16);
    records.push_back(plu_file.substr(at, length));
    at += length;
  }
  return records;
}

// UTF-16 text with its byte-order mark.
std::string Utf16(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

const ListCase kLists[] = {
    {"CrLfAndCtrlZReadAsTextMode", kApplesLine + "\r\n" + kPearsLine + "\r\n\x1A" + "9;LOST;1.00\r\n", {"001", "2"}, 0,
     "", kApples + kPears},
    // A last line without a line end is read too.
    {"LastLineWithoutLineEnd", kApplesLine + "\n" + kPearsLine, {"001", "2"}, 0, "", kApples + kPears},
    {"BlankLinesAreSkippedAndTheListGoesOn", "\n" + kApplesLine + "\n\n   \n\t \n" + kPearsLine + "\n\n", {"001", "2"},
     0, "", kApples + kPears},
    // A list without an article (a failed export) sends nothing.
    {"EmptyPriceListSendsNothing", "", {"001", "2"}, 5, kNoArticle, ""},
    {"BlankLinesUpToCtrlZSendNothing", "\n \n\x1A" + kApplesLine + "\n", {"001", "2"}, 5, kNoArticle, ""},
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
     "Line 3 rejected: line \"12;APPLES\" has fewer than three columns\n"
     "Line 4 rejected: PLU number \"123456789\" is not 1 to 8 digits\n"
     "Line 6 rejected: price \"1.2.3\" is not a number\n"
     "Line 7 rejected: item code \"12A\" is not a number\n"
     "Line 8 rejected: extra number \"1000\" is outside 0 to 999\n"
     "Line 9 rejected: line \"ab\" is shorter than 5 characters\n" +
         PearsWarning(10) +
         "Line 11 rejected: line \"1;A;\" is shorter than 5 characters\n"
         "7 lines of the price list were rejected\n",
     kApples + kShortLine + kPears},
    {"OneRejectedLineIsCountedAlone", kApplesLine + "\nx;y;z\n", {"001", "2"}, 5,
     "Line 2 rejected: PLU number \"x\" is not 1 to 8 digits\n1 line of the price list was rejected\n", kApples},
    {"TabIsTheSeparatorWithoutADigit", "123\tAPPLES\t12.50\t0\n77\tPEARS\t1,99\t0\t\t2200077\n", {"001"}, 0, "",
     kApples + kPears},
    // What a formula filled past the data leaves is blank.
    {"SpreadsheetLeftoversAreBlank", "123,APPLES,12.50,0\r\n,,\"\",,,,\r\n\"\",\"\",\"\"\r\n77,PEARS,1.99,0,,2200077\r\n",
     {"001", "1"}, 0, PearsWarning(4), kApples + kPears},
    // An empty item-code column before a notes column: the PLU number serves.
    {"EmptyItemCodeBeforeANotesColumn", "123;APPLES;12.50;0;;;keep cool\n", {"001", "2"}, 0, "", kApples},
    // A cell with a line end in it (Alt+Enter): the line end becomes one
    // blank, and the lines after it keep their numbers.
    {"QuotedNameAcrossALineEnd", "24;\"Ham\r\nsliced\";2.49;1\r\nx;y;z\r\n" + kApplesLine + "\r\n", {"001", "2"}, 5,
     "Line 3 rejected: PLU number \"x\" is not 1 to 8 digits\n1 line of the price list was rejected\n",
     "00000024" "0026" "11" "000D2000" "00000249" "110525" "000240000001" "070A" "48616D20736C69636564" "0C00" +
         kApples},
    // A quote never closed takes no further line: the lines read after it
    // for its closing quote are lines of their own.
    {"UnclosedQuoteStandsAlone", "12;\"APPLES;1.00\n" + kApplesLine + "\n" + kPearsLine + "\n", {"001", "2"}, 5,
     "Line 1 rejected: column \"\\\"APPLES;1.00\" has no closing quote\n" + PearsWarning(3) +
         "1 line of the price list was rejected\n",
     kApples + kPears},
};

TEST_P(PluFile, Lists) {
  const ListCase& c = GetParam();
  ProgramResult r = Load(&c.price_list, c.arguments);
  EXPECT_EQ(r.status, c.status);
  ExpectErrorLines(r, c.error_lines);
  EXPECT_EQ(Read("qs001F25.dat"), c.plu_file);
  // The load mode went on past the PLU file if it held an article: no shop
  // name, so the empty key file.
  EXPECT_EQ(Has("qs001f92.DAT"), !c.plu_file.empty());
}

INSTANTIATE_TEST_SUITE_P(, PluFile, ::testing::ValuesIn(kLists), testing_support::CaseName());

// A carriage return alone ends a line too (old Mac files), also where it
// is the last byte of one read of the file and the line feed of a pair the
// first of the next; a pair is one line end.
TEST_F(PluFile, CarriageReturnsEndLines) {
  struct Case {
    std::string list;
    std::string err;
  } cases[] = {
      {std::string(kApplesLine) + "\r" + kPearsLine + "\r", PearsWarning(2)},
      {std::string(kApplesLine) + "\rx;y;z\r\n\r" + kPearsLine,
       "Line 2 rejected: PLU number \"x\" is not 1 to 8 digits\n" + PearsWarning(4) +
           "1 line of the price list was rejected\n"},
      // The pair split between two reads (the first takes 3 bytes, the
      // next 65536): the carriage return at offset 65538 ends the second.
      // Still one line end, so x;y;z is line 3.
      {kApplesLine + "\n" + std::string(65538 - (kApplesLine.size() + 1), ' ') + "\r\nx;y;z\n" +
           kPearsLine,
       "Line 3 rejected: PLU number \"x\" is not 1 to 8 digits\n" + PearsWarning(4) +
           "1 line of the price list was rejected\n"},
  };
  for (const Case& c : cases) {
    ProgramResult r = Load(c.list);
    EXPECT_EQ(r.status, c.err.find("rejected") == std::string::npos ? 0 : 5);
    ExpectErrorLines(r, c.err);
    EXPECT_EQ(Read("qs001F25.dat"), kApples + kPears);
  }
}

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
  ExpectErrorLines(r, "Line 2 rejected: line \"9;" + std::string(38, 'x') +
                          "\"... is longer than 65536 characters before its item code ends\n"
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
      {"[Params]\nCodePage=WIN\n", {}, "C0C141"},
      {"[Params]\nCodePage=OEM\nPageDetail=\\cp.txt\n", {}, "808141"},
      {"[Params]\nCodePage=dos\n", {"VELKOCON_CODEPAGES=1251:866"}, "808141"},
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
  // The Ukrainian I and i of code page 1251 become the Latin letters, there
  // only (PluFile.OtherCodePagesKeepTheirLetters has the others).
  const std::string ukrainian = "9;\xB2\xB3_;1;0\n";
  ProgramResult r = Load(&ukrainian, {"001", "2"}, kDefaultIni, {"VELKOCON_CODEPAGES=1251:866"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(Read("qs001F25.dat").find("0703" + Hex("Iii") + "0C00"), std::string::npos) << Read("qs001F25.dat");
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
  EXPECT_EQ(r.err, "Could not open file.\n" + CauseLine("cannot open VelkoCon.txt", Reason::kNoSuchFile));
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(Has("qs001F25.dat"));
}

TEST_F(PluFile, PluFileCannotBeCreated) {
  ASSERT_EQ(mkdir(File("qs001F25.dat").c_str(), 0755), 0);
  ProgramResult r = Load(kApplesLine + "\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Could not create file.\n" + CauseLine("cannot create qs001F25.dat", Reason::kIsAFolder));
  EXPECT_EQ(r.out, "");
}

TEST_F(PluFile, WriteErrorOnClosingIsReported) {
  ASSERT_EQ(symlink("/dev/full", File("qs001F25.dat").c_str()), 0);
  ProgramResult r = Load(kApplesLine + "\nx;y;z\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err,
            "Line 2 rejected: PLU number \"x\" is not 1 to 8 digits\n"
            "1 line of the price list was rejected\n"
            "Could not write file.\n" +
                CauseLine("cannot write qs001F25.dat", Reason::kDiskFull));
  EXPECT_EQ(r.out, "");  // no transfer, no banner
  EXPECT_FALSE(Has("qs001f92.DAT"));
}

// One list saved as a spreadsheet saves it: in the PC's code page (1250 here),
// as UTF-8 with and without a byte-order mark, and as UTF-16 either way
// round. Every form gives the same PLU file; the characters that code page
// 1250 lacks become '?', with a warning for their line. (These letters sit
// at the same places in 1252, which the Windows programs have under wine.)
TEST_F(PluFile, EveryEncodingGivesTheSameRecords) {
  const char kUtf8[] = "1;Šunka dušená;2.49;0\r\n2;\"Sýr; Eidam\";1.99;1\r\n3;Matcha 日本 😀;9.90;1\r\n";
  const char16_t kUtf16[] = u"1;Šunka dušená;2.49;0\r\n2;\"Sýr; Eidam\";1.99;1\r\n3;Matcha 日本 😀;9.90;1\r\n";
  const std::string cp1250 = "1;\x8Aunka du\x9A" "en\xE1;2.49;0\r\n2;\"S\xFDr; Eidam\";1.99;1\r\n3;Matcha ?? ?;9.90;1\r\n";
  const std::string ini = kDefaultIni;
  const std::vector<std::string> env = {"VELKOCON_CODEPAGES=1250:852"};

  ProgramResult r = Load(&cp1250, {"001", "2"}, ini, env);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string expected = Read("qs001F25.dat");
  ASSERT_NE(expected.find("070C" + Hex("\x8Aunka du\x9A" "en\xE1") + "0C00"), std::string::npos) << expected;
  ASSERT_NE(expected.find("070B" + Hex("Matcha ?? ?") + "0C00"), std::string::npos) << expected;

  struct Case {
    const char* form;
    std::string ini;
    std::string list;
  } cases[] = {
      {"UTF-8 with a mark", ini, "\xEF\xBB\xBF" + std::string(kUtf8)},
      {"UTF-8 and the setting", ini + "Price List Encoding=UTF-8\n", kUtf8},
      {"UTF-8 with a mark and the setting", ini + "Price List Encoding=utf-8\n", "\xEF\xBB\xBF" + std::string(kUtf8)},
      {"UTF-16 little endian", ini, Utf16(kUtf16, false)},
      {"UTF-16 big endian", ini, Utf16(kUtf16, true)},
  };
  for (const Case& c : cases) {
    r = Load(&c.list, {"001", "2"}, c.ini, env);
    EXPECT_EQ(r.status, 0) << c.form;
    EXPECT_EQ(Read("qs001F25.dat"), expected) << c.form;
    EXPECT_EQ(r.err.rfind("Line 3 warning: characters that code page ", 0), 0u) << c.form << r.err;
    EXPECT_NE(r.err.find(" does not have became \"?\"\n"), std::string::npos) << c.form << r.err;
  }

  // Without a mark or the setting the bytes are found to be UTF-8, and a
  // note says so; with Price List Encoding=ANSI they are taken as they are.
  const std::string unmarked = kUtf8;
  r = Load(&unmarked, {"001", "2"}, ini, env);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Read("qs001F25.dat"), expected);
  ExpectErrorLines(r, std::string(kUtf8Note) + "Line 3 warning: characters that code page ");
  r = Load(&unmarked, {"001", "2"}, ini + "Price List Encoding=ANSI\n", env);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(Read("qs001F25.dat").find(Hex("Šunka")), std::string::npos);
  EXPECT_EQ(r.err.find("Note:"), std::string::npos) << r.err;
}

// Lists without a byte-order mark under Price List Encoding=auto: UTF-8 when
// every byte is UTF-8 and some character beyond ASCII is one the ANSI code
// page has (1252 here, as for the Windows programs under wine); else ANSI.
TEST_F(PluFile, UnmarkedListsAreFoundUtf8OrAnsi) {
  const std::string kAnsiNote =
      "Note: VelkoCon.txt is read as ANSI: its bytes are UTF-8, but code page 1252 has none of their characters "
      "beyond ASCII; set Price List Encoding=UTF-8 if it is UTF-8\n";
  struct Case {
    const char* form;
    std::string names;  // the names of lines 1 and 2
    std::string loaded;
    std::string note;
  } cases[] = {
      {"UTF-8", "Caf\xC3\xA9|Cr\xC3\xA8me", "Caf\xE9|Cr\xE8me", kUtf8Note},
      {"ANSI, bytes no UTF-8", "Caf\xE9|Cr\xE8me", "Caf\xE9|Cr\xE8me", ""},
      {"UTF-8 but a later byte", "Caf\xC3\xA9|Cr\xE8me", "Caf\xC3\xA9|Cr\xE8me", ""},
      {"ASCII", "Cafe|Creme", "Cafe|Creme", ""},
      // 1252 letters that pair as UTF-8: read as the character they make
      // when the code page has it (A tilde and the copyright sign are the
      // UTF-8 of e acute), as ANSI when no such character is in it (E acute
      // and a quote mark make an open o).
      {"1252 pairs the code page has", "Caf\xC3\xA9|CREME", "Caf\xE9|CREME", kUtf8Note},
      {"1252 pairs it has not", "CAF\xC9\x94|CREME", "CAF\xC9\x94|CREME", kAnsiNote},
      {"a mark inside", "Cafe\xEF\xBB\xBF|Creme", "Cafe|Creme", kUtf8Note},
  };
  for (const Case& c : cases) {
    const std::size_t bar = c.names.find('|');
    const std::string list = "1;" + c.names.substr(0, bar) + ";1.00;0\r\n2;" + c.names.substr(bar + 1) + ";2.00;0\r\n";
    ProgramResult r = Load(&list, {"001", "2"}, kDefaultIni, {"VELKOCON_CODEPAGES=1252:850"});
    EXPECT_EQ(r.status, 0) << c.form;
    EXPECT_EQ(r.err.substr(0, c.note.size()), c.note) << c.form;
    EXPECT_EQ(r.err.find("Note:", c.note.size()), std::string::npos) << c.form << r.err;
    std::vector<std::string> names;
    for (const std::string& record : Records(Read("qs001F25.dat"))) names.push_back(record.substr(52, record.size() - 56));
    const std::size_t loaded_bar = c.loaded.find('|');
    EXPECT_EQ(names, (std::vector<std::string>{Hex(c.loaded.substr(0, loaded_bar)), Hex(c.loaded.substr(loaded_bar + 1))}))
        << c.form;
  }
}

// Code pages other than 1251 keep the bytes 0xB2 and 0xB3: l with stroke in
// 1250, the superscripts in 1252 (the Windows programs' code page under
// wine, whatever VELKOCON_CODEPAGES says).
TEST_F(PluFile, OtherCodePagesKeepTheirLetters) {
  for (const char* pair : {"VELKOCON_CODEPAGES=1250:852", "VELKOCON_CODEPAGES=1252:850"}) {
    const std::string list = "1;Mas\xB3o;1.00;0\n2;Kie\xB3" "basa;2.00;0\n3;Tile 30x30 cm\xB2;3.00;1\n";
    ProgramResult r = Load(&list, {"001", "2"}, kDefaultIni, {pair});
    EXPECT_EQ(r.status, 0) << pair;
    const std::string plu = Read("qs001F25.dat");
    for (const char* name : {"Mas\xB3o", "Kie\xB3" "basa", "Tile 30x30 cm\xB2"}) {
      EXPECT_NE(plu.find(Hex(name) + "0C00"), std::string::npos) << pair << ' ' << name;
    }
  }
}

// A spreadsheet's "Unicode text" that repeats the byte-order mark inside
// (about every 1,950 bytes): the marks are dropped wherever they fall, in a
// name, a number or the item kind.
TEST_F(PluFile, Utf16WithMarksInside) {
  std::u16string text;
  std::string plain;
  for (int i = 1; i <= 200; ++i) {
    const std::string line = std::to_string(i) + ";Ham " + std::to_string(i) + ";2.49;1;30;69945";
    plain += line + "\r\n";
    text += u'\uFEFF';
    for (char c : line) {
      text += static_cast<char16_t>(c);
      if (c == ';') text += u'\uFEFF';
    }
    text += u"\r\n";
  }
  ProgramResult r = Load(plain);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string expected = Read("qs001F25.dat");
  ASSERT_NE(expected.find("00000007" "0023" "15" "000D2001" "00000249"), std::string::npos);  // counted, extra 30
  for (bool big_endian : {false, true}) {
    r = Load(Utf16(text, big_endian));
    EXPECT_EQ(r.status, 0) << big_endian;
    ExpectErrorLines(r, "");
    EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
    EXPECT_EQ(Read("qs001F25.dat"), expected) << big_endian;
  }
}

// Of each kind of warning the first 10 are shown, then a line counts the
// rest; -Check shows them all.
TEST_F(PluFile, WarningsAreCappedByKind) {
  std::string list;
  std::string shown;
  for (int i = 1; i <= 11; ++i) {
    list += std::to_string(i) + ";Ham;1.00;1;;1234567\n";
    if (i <= 10) {
      shown += "Line " + std::to_string(i) +
               " warning: item code \"1234567\" is longer than the 5 digits barcode type 5 keeps; the barcode carries "
               "34567\n";
    }
  }
  for (int i = 1; i <= 11; ++i) {
    list += std::to_string(i) + ";Ham again;1.00;1;;5\n";
    if (i <= 10) {
      shown += "Line " + std::to_string(11 + i) + " warning: PLU number " + std::to_string(i) +
               " was already given on line " + std::to_string(i) + "; the scale keeps the article of this line\n";
    }
  }
  ProgramResult r = Load(list);
  EXPECT_EQ(r.status, 0);
  ExpectErrorLines(r, shown +
                          "Warning: 1 more line with a PLU number given on an earlier line; -Check lists them all\n"
                          "Warning: 1 more line with an item code longer than its barcode type keeps; -Check lists "
                          "them all\n");
  EXPECT_EQ(Records(Read("qs001F25.dat")).size(), 22u);

  r = Load(&list, {"001", "2", "-Check"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "22 articles, 0 rejected lines, 22 warnings\n" + std::string(testing_support::kBanner));
  EXPECT_NE(r.err.find("Line 11 warning: item code"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Line 22 warning: PLU number 11"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("more line"), std::string::npos) << r.err;
}

// When most lines have too few columns, the separator they would have
// enough with is named.
TEST_F(PluFile, SeparatorHint) {
  struct Case {
    const char* list;
    int status;
    const char* hint;  // the line after the count of rejected lines
  } cases[] = {
      {"1,A,1.00\n2,B,2.00\n3;C;3.00\n4,D,4.00\n", 5,
       "Most lines have too few columns for the separator in use (semicolon) but would have enough with comma: give "
       "the separator digit 1.\n"},
      {"1\tA\t1.00\n2\tB\t2.00\n", 5,
       "Every line has too few columns for the separator in use (semicolon) but would have enough with TAB: give the "
       "separator digit 5 (or none).\n"},
      {"1 A 1.00\n2 B 2.00\n", 5,
       "Every line has too few columns for the separator in use (semicolon); the separator digit chooses another: 1 "
       "for comma, 3 for #, 4 for full stop, 5 (or none) for TAB.\n"},
      {"1,A,1.00\n2;B;2.00\n3;C;3.00\n", 5, ""},  // half or fewer: no hint
  };
  for (const Case& c : cases) {
    const std::string list = c.list;
    ProgramResult r = Load(list);
    EXPECT_EQ(r.status, c.status) << c.list;
    const std::string count = " rejected\n";
    const std::size_t after = r.err.rfind(count);
    ASSERT_NE(after, std::string::npos) << r.err;
    const std::string rest = r.err.substr(after + count.size());
    EXPECT_EQ(rest.substr(0, std::string(c.hint).size()), c.hint) << c.list << r.err;
    if (c.hint[0] == '\0') {
      EXPECT_EQ(rest.find("too few columns"), std::string::npos) << r.err;
    }
  }
}

// A quoted column runs over at most the 65536 characters a line keeps.
TEST_F(PluFile, QuotedColumnAcrossLinesKeepsTheLengthLimit) {
  ProgramResult r = Load("5;\"Big\n" + std::string(70000, 'x') + "\";1.00\n" + kApplesLine + "\n");
  EXPECT_EQ(r.status, 5);
  ExpectErrorLines(r, "Line 1 rejected: column \"\\\"Big\" has no closing quote\n"
                      "Line 2 rejected: line \"" + std::string(40, 'x') +
                      "\"... is longer than 65536 characters before its item code ends\n"
                      "2 lines of the price list were rejected\n");
  EXPECT_EQ(Read("qs001F25.dat"), kApples);
}

TEST_F(PluFile, QuotedNamesAndAHeaderLine) {
  ProgramResult r = Load(
                            "PLU;Name;Price;Type;Extra;Code\n"
                            "24;\"Ham; sliced\";248,38;1;8;69945\n"
                            "25;\"Say \"\"Cheese\"\"\";1.00;0\n");
  EXPECT_EQ(r.status, 0);
  ExpectErrorLines(r, "Line 1 skipped as a header: \"PLU;Name;Price;Type;Extra;Code\"\n");
  EXPECT_EQ(Read("qs001F25.dat"), "00000024" "0029" "15" "000D2001" "00024838" "110525" "699450000001" "0008"
                          "070B" + Hex("Ham; sliced") + "0C00"
                          "00000025" "0028" "10" "000D2000" "00000100" "110525" "000250000001"
                          "070C" + Hex("Say \"Cheese\"") + "0C00");
  // A header is only ever the first line; later it is a malformed line.
  r = Load(std::string(kApplesLine) + "\nPLU;Name;Price\n");
  EXPECT_EQ(r.status, 5);
  ExpectErrorLines(r, "Line 2 rejected: PLU number \"PLU\" is not 1 to 8 digits\n"
                      "1 line of the price list was rejected\n");
}

TEST_F(PluFile, PriceDecimals) {
  const std::string list = "1;A;12;0\n2;B;12,5;0\n3;C;0.125;0\n";
  struct Case {
    const char* setting;
    std::vector<std::string> prices;
    int status;
    const char* err;
  } cases[] = {
      // Prices of different numbers of decimals are told once.
      {"", {"00000012", "00000125", "00000125"}, 0,
       "Warning: the prices have different numbers of decimals (12 on line 1, 12,5 on line 2); without Price Decimals "
       "the digits are taken as they stand: set Price Decimals\n"},
      {"Price Decimals=0\n", {"00000012"}, 5,
       "Line 2 rejected: price \"12,5\" has more than 0 decimals\n"
       "Line 3 rejected: price \"0.125\" has more than 0 decimals\n"
       "2 lines of the price list were rejected\n"},
      {"Price Decimals=2\n", {"00001200", "00001250"}, 5,
       "Line 3 rejected: price \"0.125\" has more than 2 decimals\n"
       "1 line of the price list was rejected\n"},
      {"Price Decimals=3\n", {"00012000", "00012500", "00000125"}, 0, ""},
  };
  for (const Case& c : cases) {
    ProgramResult r = Load(&list, {"001", "2"}, std::string(kDefaultIni) + c.setting);
    EXPECT_EQ(r.status, c.status) << c.setting;
    ExpectErrorLines(r, c.err);
    EXPECT_EQ(r.err.find("decimals (", std::string(c.err).size()), std::string::npos) << r.err;
    std::vector<std::string> prices;
    for (const std::string& record : Records(Read("qs001F25.dat"))) prices.push_back(record.substr(22, 8));
    EXPECT_EQ(prices, c.prices) << c.setting;
  }
  std::remove(File("qs001F25.dat").c_str());
  ProgramResult r = Load(&list, {"001", "2"}, std::string(kDefaultIni) + "Price Decimals=5\n");
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "Incorrect price decimals\n");
  EXPECT_FALSE(Has("qs001F25.dat"));
}

// Lines that load all the same: a PLU number given before, an item code
// (or the PLU number standing for it) longer than its barcode type keeps.
TEST_F(PluFile, DuplicatePluNumbersAndLongItemCodesAreWarned) {
  const std::string list =
      "24;Ham;2.49;1;;69945521\n"
      "123456;Cheese;1.99;1\n"
      "25;Pears;1.99;0;;2200077\n"   // weighed: type 20 keeps 7 digits
      "26;Plums;1.99;1;;0000012345\n"
      "0024;Ham again;2.59;1;;1\n"
      "\n"
      "24;Ham third;2.69;1;;1\n";
  ProgramResult r = Load(&list, {"001", "2"}, std::string(kDefaultIni) + "Barcode Weight Type=20\n");
  EXPECT_EQ(r.status, 0);
  ExpectErrorLines(r,
                   "Line 1 warning: item code \"69945521\" is longer than the 5 digits barcode type 5 keeps; "
                   "the barcode carries 45521\n"
                   "Line 2 warning: PLU number \"123456\", the item code, is longer than the 5 digits barcode type 5 "
                   "keeps; the barcode carries 23456\n"
                   "Line 5 warning: PLU number 24 was already given on line 1; the scale keeps the article of this "
                   "line\n"
                   "Line 7 warning: PLU number 24 was already given on line 1; the scale keeps the article of this "
                   "line\n");
  EXPECT_EQ(Records(Read("qs001F25.dat")).size(), 6u);
}

}  // namespace
