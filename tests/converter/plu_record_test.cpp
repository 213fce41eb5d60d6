// PLU records built from price-list lines: the worked layouts, the barcode
// rule, the weight settings, time print, name lines and code pages.
#include "converter/plu_record.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "converter/price_list.h"
#include "platform/code_pages.h"
#include "support/test_support.h"

namespace {

using converter::NameTable;
using converter::Settings;
using testing_support::Hex;

NameTable Identity() {
  NameTable table;
  for (int b = 0; b < 256; ++b) table.map[b] = static_cast<unsigned char>(b);
  return table;
}

// The record for one semicolon-separated line (its bytes in code page 1251
// if ukrainian_i).
std::string Record(std::string line, const Settings& settings = Settings(), const NameTable& names = Identity(),
                   bool ukrainian_i = false) {
  converter::PriceListEntry entry;
  converter::Rejection rejection;
  converter::LineFormat format{';', settings.no_type != 0, settings.price_decimals, ukrainian_i};
  auto result = converter::ParsePriceListLine(line, true, format, &entry, &rejection);
  if (result != converter::LineResult::kEntry) return "<not an entry>";
  char text[converter::kMaxPluRecordText];
  std::size_t length = converter::BuildPluRecord(entry, settings, names, text);
  return std::string(text, length);
}

NameTable DosTable() {
  NameTable table;
  {
    auto status = platform::BuildAnsiToOemTable(table.map);
    EXPECT_TRUE(status.ok()) << status.message();
  }
  return table;
}

TEST(PluRecord, WorkedExamples) {
  NameTable dos = DosTable();
  EXPECT_EQ(Record("123;APPLES;12.50;0", Settings(), dos),
            "00000123"
            "0022"
            "10"
            "000D2000"
            "00001250"
            "110525"
            "001230000001"
            "0706"
            "4150504C4553"
            "0C00");

  Settings time_print;
  time_print.time_print = 1;
  EXPECT_EQ(Record("4567;CHOCOLATE BAR WITH NUTS 100G;3.20;1;30;98765", time_print, dos),
            "00004567"
            "003D"
            "55"
            "000D2001"
            "00000320"
            "110525"
            "987650000001"
            "0030"
            "0718"
            "43484F434F4C415445204241522057495448204E55545320"
            "0D0704"
            "31303047"
            "0C00");

  Settings weight;
  weight.barcode_weight_prefix = 21;
  weight.barcode_weight_type = 20;
  EXPECT_EQ(Record("77;PEARS;1,99;0;;2200077", weight, dos),
            "00000077"
            "0021"
            "10"
            "000D2000"
            "00000199"
            "111421"
            "220007700001"
            "0705"
            "5045415253"
            "0C00");
  // The same line as a counted item ignores the weight settings.
  EXPECT_EQ(Record("77;PEARS;1,99;1;;2200077", weight, dos),
            "00000077"
            "0021"
            "11"
            "000D2000"
            "00000199"
            "110525"
            "000770000001"
            "0705"
            "5045415253"
            "0C00");
}

TEST(PluRecord, BarcodeRuleForEveryListedType) {
  struct Case {
    int type;
    const char* field;
  } cases[] = {
      {11, "900000000001"}, {18, "900000000001"}, {17, "890000000001"}, {19, "890000000001"},
      {9, "789000000001"},  {15, "789000000001"}, {1, "678900000001"},  {3, "678900000001"},
      {5, "678900000001"},  {7, "678900000001"},  {10, "678900000001"}, {13, "678900000001"},
      {16, "678900000001"}, {21, "678900000001"}, {2, "567890000001"},  {4, "567890000001"},
      {6, "567890000001"},  {14, "567890000001"}, {20, "456789000001"}, {8, "123456789001"},
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.barcode_type = c.type;
    std::string record = Record("1;A;1;1;;1234567890", settings);
    EXPECT_EQ(record.substr(32, 2), Hex(std::string(1, static_cast<char>(c.type)))) << c.type;
    EXPECT_EQ(record.substr(36, 12), c.field) << c.type;
  }
  // Short item codes are filled with zeros on the left before the rule picks.
  Settings type8;
  type8.barcode_type = 8;
  EXPECT_EQ(Record("1;A;1;1;;42", type8).substr(36, 12), "000000004201");
  // A longer item code keeps its last 10 digits.
  EXPECT_EQ(Record("1;A;1;1;;12345678901234", type8).substr(36, 12), "567890123401");
  Settings type11;
  type11.barcode_type = 11;
  EXPECT_EQ(Record("1;A;1;1;;98765", type11).substr(36, 12), "650000000001");
  EXPECT_EQ(Record("1;A;1;1;;;", Settings()).substr(36, 12), "000010000001");  // an empty item code is none
  EXPECT_EQ(Record("1;A;1;1;;", Settings()).substr(36, 12), "000010000001");   // none: the PLU number
}

TEST(PluRecord, WeightSettingsApplyToWeighedItemsOnly) {
  struct Case {
    int weight_prefix, weight_type;
    const char* weighed;  // barcode type and prefix, characters 32-35
    const char* counted;
  } cases[] = {
      {-1, -1, "0525", "0525"},
      {-1, 20, "1425", "0525"},
      {21, -1, "0521", "0525"},
      {2, 8, "0802", "0525"},
      {0, 8, "0800", "0525"},
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.barcode_weight_prefix = c.weight_prefix;
    settings.barcode_weight_type = c.weight_type;
    EXPECT_EQ(Record("1;A;1;0", settings).substr(32, 4), c.weighed) << c.weight_prefix << ' ' << c.weight_type;
    EXPECT_EQ(Record("1;A;1;1", settings).substr(32, 4), c.counted) << c.weight_prefix << ' ' << c.weight_type;
  }
  Settings no_type;
  no_type.no_type = 1;
  no_type.barcode_weight_type = 20;
  EXPECT_EQ(Record("1;A;1;1", no_type).substr(12, 2), "14");  // the 1 is the extra number
  EXPECT_EQ(Record("1;A;1;1", no_type).substr(32, 4), "1425");
}

TEST(PluRecord, FlagsAndLabelFormat) {
  struct Case {
    int time_print;
    const char* line;
    const char* flags_and_fixed;  // characters 12-21
  } cases[] = {
      {0, "1;A;1;0", "10000D2000"},   {0, "1;A;1;1", "11000D2000"},   {0, "1;A;1;0;0", "14000D2001"},
      {0, "1;A;1;1;5", "15000D2001"}, {1, "1;A;1;0", "50000D2000"},   {1, "1;A;1;1", "51000D2000"},
      {7, "1;A;1;0;0", "54000D2001"}, {-1, "1;A;1;1;5", "55000D2001"},
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.time_print = c.time_print;
    EXPECT_EQ(Record(c.line, settings).substr(12, 10), c.flags_and_fixed) << c.line << ' ' << c.time_print;
  }
  for (int format : {0, 9, 10, 17, 99}) {
    Settings settings;
    settings.label_format = format;
    EXPECT_EQ(Record("1;A;1", settings).substr(30, 2), Hex(std::string(1, static_cast<char>(format))));
  }
}

TEST(PluRecord, ExtraNumberDigits) {
  EXPECT_EQ(Record("1;A;1;0;0").substr(48, 4), "0000");
  EXPECT_EQ(Record("1;A;1;0;7").substr(48, 4), "0007");
  EXPECT_EQ(Record("1;A;1;0;42").substr(48, 4), "0042");
  EXPECT_EQ(Record("1;A;1;0;999").substr(48, 4), "0999");
}

TEST(PluRecord, PriceDigitsFromTheRight) {
  struct Case {
    const char* price;
    const char* field;
  } cases[] = {
      {"12.50", "00001250"},     {"1,99", "00000199"},     {"12.5", "00000125"},
      {"", "00000000"},          {".", "00000000"},         {"123456.78", "12345678"},
      {"12345678", "12345678"},  {".12345678", "12345678"}, {"7", "00000007"},
      {"1234567,8", "12345678"}, {" 3.20 ", "00000320"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Record(std::string("1;A;") + c.price + ";0").substr(22, 8), c.field) << c.price;
  }
}

TEST(PluRecord, NameLines) {
  struct Case {
    std::size_t length;
    bool extra;
    const char* record_length;
  } cases[] = {
      {0, false, "001C"},  {0, true, "001E"},   {1, false, "001D"},  {23, false, "0033"}, {24, false, "0034"},
      {25, false, "0038"}, {25, true, "003A"},  {98, false, "0081"}, {99, false, "0082"}, {99, true, "0084"},
  };
  for (const Case& c : cases) {
    std::string name;
    for (std::size_t i = 0; i < c.length; ++i) name += static_cast<char>('A' + i % 26);
    std::string record = Record("1;" + name + ";1;0" + (c.extra ? ";5" : ""));
    std::string first = name.substr(0, 24);
    std::string expected_name = "07" + Hex(std::string(1, static_cast<char>(first.size()))) + Hex(first);
    if (c.length > 24) {
      std::string second = name.substr(24);
      expected_name += "0D07" + Hex(std::string(1, static_cast<char>(second.size()))) + Hex(second);
    }
    expected_name += "0C00";
    std::size_t name_at = c.extra ? 52 : 48;
    EXPECT_EQ(record.substr(8, 4), c.record_length) << c.length;
    EXPECT_EQ(record.size(), 2 * std::stoul(c.record_length, nullptr, 16)) << c.length;
    EXPECT_EQ(record.substr(name_at), expected_name) << c.length;
  }
  // A longer name keeps its first 99 bytes.
  EXPECT_EQ(Record("1;" + std::string(200, 'Z') + ";1;0;5").substr(8, 4), "0084");
}

TEST(PluRecord, NamesAreTranslatedByTheTable) {
  const std::string line = std::string("1;A\xC0 b\xFF;1;0");
  // "Win": the bytes as they are.
  EXPECT_EQ(Record(line).substr(48), "0705" + Hex("A\xC0 b\xFF") + "0C00");
  // A PageDetail table: identity but for the bytes it names.
  NameTable oem = Identity();
  oem.map[0xC0] = 0x80;
  oem.map['A'] = 'Z';
  EXPECT_EQ(Record(line, Settings(), oem).substr(48), "0705" + Hex("Z\x80 b\xFF") + "0C00");
  // Any other CodePage value: a table of zeros.
  EXPECT_EQ(Record(line, Settings(), NameTable()).substr(48), "07050000000000" "0C00");
}

TEST(PluRecord, DosTranslatesFromTheAnsiToTheOemCodePage) {
  const char* saved = std::getenv("VELKOCON_CODEPAGES");
  std::string saved_value = saved != nullptr ? saved : "";
  setenv("VELKOCON_CODEPAGES", "1251:866", 1);
  NameTable dos = DosTable();
  if (saved != nullptr) {
    setenv("VELKOCON_CODEPAGES", saved_value.c_str(), 1);
  } else {
    unsetenv("VELKOCON_CODEPAGES");
  }
  // Cyrillic capital A, small ya and the Ukrainian capital I (which the price
  // list turns into the Latin letter before translation).
  EXPECT_EQ(Record("1;\xC0\xFF\xB2 PEAR;1;0", Settings(), dos, true).substr(48),
            "0708" + Hex("\x80\xEFI PEAR") + "0C00");
}

// Whatever a line holds, an accepted line gives a record of hex digits only
// (the scale reads BCD there) whose length field matches its size.
TEST(PluRecord, AcceptedLinesGiveCleanRecords) {
  const char kAlphabet[] = "0123456789;.., \t-+1AZz_\xB2\xB3\xC0\xFF";
  unsigned long long state = 7;
  auto next = [&state](unsigned bound) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>(state >> 33) % bound;
  };
  int accepted = 0;
  for (int i = 0; i < 20000; ++i) {
    // Columns of digits (most of them) or of any characters, up to 12 long.
    std::string line;
    unsigned columns = 2 + next(6);
    for (unsigned c = 0; c < columns; ++c) {
      if (c > 0) line += ';';
      bool digits = next(4) != 0;
      unsigned length = next(13);
      for (unsigned j = 0; j < length; ++j) {
        line += digits ? static_cast<char>('0' + next(10)) : kAlphabet[next(sizeof kAlphabet - 1)];
      }
    }
    Settings settings;
    settings.no_type = static_cast<int>(next(2));
    settings.barcode_type = 8;
    std::string record = Record(line, settings, NameTable());
    if (record == "<not an entry>") continue;
    ++accepted;
    ASSERT_LE(record.size(), converter::kMaxPluRecordText) << line;
    ASSERT_EQ(record.find_first_not_of("0123456789ABCDEF"), std::string::npos) << line;
    ASSERT_EQ(record.size(), 2 * std::stoul(record.substr(8, 4), nullptr, 16)) << line;
    ASSERT_EQ(record.substr(0, 8).find_first_not_of("0123456789"), std::string::npos) << line;
    ASSERT_EQ(record.substr(22, 8).find_first_not_of("0123456789"), std::string::npos) << line;
    ASSERT_EQ(record.substr(36, 12).find_first_not_of("0123456789"), std::string::npos) << line;
  }
  EXPECT_GT(accepted, 2000);
}

}  // namespace
