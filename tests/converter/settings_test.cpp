// The converter's settings: defaults, validation, the PageDetail table and
// the name tables.
#include <gtest/gtest.h>

#include <cstdlib>

#include "converter/settings.h"
#include "platform/code_pages.h"
#include "support/shop.h"
#include "support/test_support_posix.h"

namespace {

using testing_support::BinPath;
using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFile;

using converter::PriceListEncoding;

struct ReadResult {
  bool ok;
  converter::Settings settings;
  converter::NameTable names;
  std::string message;
  std::string cause;
};

ReadResult Read(const TempDir& dir, const std::string& ini) {
  WriteFile(dir.File("velkocon.ini"), ini);
  ReadResult r;
  auto status = converter::ReadSettings(platform::SystemEnv(), dir.path(), &r.settings, &r.names);
  r.ok = status.ok();
  r.message = status.message();
  r.cause = status.cause();
  return r;
}

// The settings file alone, in a folder of its own.
ReadResult Read(const std::string& ini) {
  TempDir dir;
  return Read(dir, ini);
}

// The lines after "[Params]" and "CodePage=Win".
ReadResult ReadParams(const std::string& lines) { return Read("[Params]\nCodePage=Win\n" + lines); }

TEST(Settings, SectionHeaderAloneGivesDefaults) {
  ReadResult r = Read("[Params]\n");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.settings.time_print, 0);
  EXPECT_EQ(r.settings.no_type, 0);
  EXPECT_EQ(r.settings.label_format, 17);
  EXPECT_EQ(r.settings.barcode_prefix, 25);
  EXPECT_EQ(r.settings.barcode_type, 5);
  EXPECT_EQ(r.settings.barcode_weight_prefix, -1);
  EXPECT_EQ(r.settings.barcode_weight_type, -1);
  EXPECT_EQ(r.settings.code_page, "Dos");
  EXPECT_EQ(r.settings.shop_font, 5);
  EXPECT_FALSE(r.settings.verify);
  EXPECT_FALSE(r.settings.remove_other_plus);
  EXPECT_EQ(r.settings.remove_limit, 500);
  for (const std::string* text : {&r.settings.shop_name, &r.settings.mg_total, &r.settings.plu_total,
                                  &r.settings.clerk_total, &r.settings.store_total, &r.settings.transact,
                                  &r.settings.rt_buffer}) {
    EXPECT_EQ(*text, "");
  }
}

TEST(Settings, IniNameIgnoresCase) {
  TempDir dir;
  WriteFile(dir.File("VELKOCON.INI"), "[PARAMS]\nSHOP NAME=Upper\n");
  converter::Settings s;
  converter::NameTable names;
  auto status = converter::ReadSettings(platform::SystemEnv(), dir.path(), &s, &names);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(s.shop_name, "Upper");
}

TEST(Settings, Validation) {
  struct Case {
    const char* lines;
    const char* message;  // empty: accepted
  } cases[] = {
      {"Label Format=100\n", "Incorrect label format"},
      {"Label Format=-1\n", "Incorrect label format"},
      {"Label Format=99\n", ""},
      {"Label Format=0\n", ""},
      {"Barcode Type=12\n", "Incorrect barcode format"},
      {"Barcode Type=22\n", "Incorrect barcode format"},
      {"Barcode Type=0\n", "Incorrect barcode format"},
      {"Barcode Type=-1\n", "Incorrect barcode format"},
      {"Barcode Type=21\n", ""},
      {"Barcode Type=11\n", ""},
      {"Barcode Weight Type=12\n", "Incorrect barcode format"},
      {"Barcode Weight Type=0\n", "Incorrect barcode format"},
      {"Barcode Weight Type=-2\n", "Incorrect barcode format"},
      {"Barcode Weight Type=-1\n", ""},
      {"Barcode Weight Type=20\n", ""},
      {"Barcode Prefix=100\n", "Incorrect barcode prefix"},
      {"Barcode Prefix=-1\n", "Incorrect barcode prefix"},
      {"Barcode Prefix=0\n", ""},
      {"Barcode Prefix=99\n", ""},
      {"Barcode Weight Prefix=-1\n", ""},
      {"Barcode Weight Prefix=-2\n", "Incorrect barcode prefix"},
      {"Barcode Weight Prefix=100\n", "Incorrect barcode prefix"},
      {"Verify=1\nRemove Other PLUs=1\nRemove Limit=0\n", ""},
      {"Verify=2\n", "Incorrect switch setting"},
      {"Remove Other PLUs=-1\n", "Incorrect switch setting"},
      {"Remove Limit=-1\n", "Incorrect remove limit"},
      // The first failure in reading order wins.
      {"Barcode Type=12\nLabel Format=100\n", "Incorrect label format"},
      {"Barcode Type=12\nBarcode Prefix=100\n", "Incorrect barcode prefix"},
      {"Barcode Weight Prefix=100\nBarcode Type=12\n", "Incorrect barcode format"},
  };
  for (const Case& c : cases) {
    ReadResult r = ReadParams(c.lines);
    EXPECT_EQ(r.ok, c.message[0] == '\0') << c.lines;
    EXPECT_EQ(r.message, c.message) << c.lines;
  }
}

TEST(Settings, PriceListAndReportKeys) {
  constexpr PriceListEncoding kAuto = PriceListEncoding::kAuto;
  struct Case {
    const char* lines;
    const char* message;  // empty: accepted
    PriceListEncoding encoding = kAuto;
    int decimals = -1;
    int header = 0;
  } cases[] = {
      {"", "", kAuto, -1, 0},
      {"Price List Encoding=UTF-8\nPrice Decimals=2\nReport Header=1\n", "", PriceListEncoding::kUtf8, 2, 1},
      {"Price List Encoding=utf8\nPrice Decimals=0\n", "", PriceListEncoding::kUtf8, 0, 0},
      {"Price List Encoding=ANSI\nPrice Decimals=4\n", "", PriceListEncoding::kAnsi, 4, 0},
      {"Price List Encoding=ansi\n", "", PriceListEncoding::kAnsi, -1, 0},
      {"Price List Encoding=\nPrice Decimals=\n", "", kAuto, -1, 0},
      {"Price List Encoding=Auto\n", "", kAuto, -1, 0},
      {"Price List Encoding=UTF-16\n", "Incorrect price list encoding"},
      {"Price List Encoding=Windows-1250\n", "Incorrect price list encoding"},
      {"Price Decimals=5\n", "Incorrect price decimals"},
      {"Price Decimals=-1\n", "Incorrect price decimals"},
      {"Price Decimals=2x\n", "Incorrect price decimals"},
      {"Price Decimals=02\n", "Incorrect price decimals"},
      {"Label Format=100\nPrice Decimals=5\n", "Incorrect label format"},
  };
  for (const Case& c : cases) {
    ReadResult r = ReadParams(c.lines);
    EXPECT_EQ(r.message, c.message) << c.lines;
    if (!r.ok) continue;
    EXPECT_EQ(r.settings.price_list_encoding, c.encoding) << c.lines;
    EXPECT_EQ(r.settings.price_decimals, c.decimals) << c.lines;
    EXPECT_EQ(r.settings.report_header, c.header) << c.lines;
  }
}

TEST(Settings, ShopFont) {
  struct Case {
    const char* value;
    int font;
  } cases[] = {{"10", 5}, {"9", 9}, {"0", 0}, {"-1", 5}, {"77", 5}};
  for (const Case& c : cases) {
    ReadResult r = Read(std::string("[Params]\nShop Font=") + c.value + "\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.settings.shop_font, c.font) << c.value;
  }
}

TEST(Settings, PageDetailTable) {
  struct Case {
    const char* file;  // nullptr: no table file
    const char* message;
    int byte;
    int expected;
  } cases[] = {
      {"192 128\n193   129\n", "", 192, 128},
      {"192 128\n193   129\n", "", 193, 129},
      {"192 128\n193   129\n", "", 65, 65},
      {"192 128\r\n193\t 129\r\n", "", 193, 129},
      {"192 128\r193 129\r", "", 193, 129},  // a carriage return alone ends a line
      {"\xEF\xBB\xBF" "192 128\n", "", 192, 128},
      {"  65 66  \n", "", 65, 66},
      {"65 300\n", "", 65, 44},
      {"65 -1\n", "", 65, 255},
      {"65 66\n65 67\n", "", 65, 67},
      {"192 128\n193   129\n   \n", "File PageDetail is incorrect. Fatal error!", 0, 0},
      {"192 128\n\n193 129\n", "File PageDetail is incorrect. Fatal error!", 0, 0},
      {"192\n", "File PageDetail is incorrect. Fatal error!", 0, 0},
      {"256 1\n", "File PageDetail is incorrect. Fatal error!", 0, 0},
      {"-1 1\n", "File PageDetail is incorrect. Fatal error!", 0, 0},
      {"x 1\n", "File PageDetail is incorrect. Fatal error!", 0, 0},
      {"65 1x\n", "File PageDetail is incorrect. Fatal error!", 0, 0},
      {"65 1 2\n", "File PageDetail is incorrect. Fatal error!", 0, 0},
      {"65 1.5\n", "File PageDetail is incorrect. Fatal error!", 0, 0},
      {nullptr, "File PageDetail is absent. Fatal error!", 0, 0},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.file != nullptr) WriteFile(dir.File("cp.txt"), c.file);
    ReadResult r = Read(dir, "[Params]\nCodePage=OEM\nPageDetail=\\cp.txt\n");
    EXPECT_EQ(r.message, c.message) << (c.file ? c.file : "none");
    if (!r.ok || c.message[0] != '\0') continue;
    EXPECT_EQ(r.names.map[c.byte], c.expected) << c.file;
  }
}

TEST(Settings, EmptyPageDetailNamesTheDirectory) {
  ReadResult r = Read("[Params]\nCodePage=OEM\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "File PageDetail is absent. Fatal error!");
}

// CodePage in any letter case; any other value ends the run.
TEST(Settings, CodePageTables) {
  struct Case {
    const char* code_page;
    unsigned char in;
    unsigned char out;
    const char* canonical;  // nullptr: a settings failure
  } cases[] = {
      {"Win", 0xC0, 0xC0, "Win"}, {"Win", 'A', 'A', "Win"}, {"win", 0xC0, 0xC0, "Win"}, {"WIN", 'A', 'A', "Win"},
      {"dos", 0xC0, 0x80, "Dos"}, {"DOS", 'A', 'A', "Dos"}, {"Oem", 0xC0, 0x81, "OEM"}, {"oem", 'A', 'A', "OEM"},
      {"Windows", 0, 0, nullptr}, {"1252", 0, 0, nullptr}, {"", 0, 0, nullptr}, {"Dos866", 0, 0, nullptr},
  };
  setenv("VELKOCON_CODEPAGES", "1251:866", 1);
  for (const Case& c : cases) {
    TempDir dir;
    WriteFile(dir.File("cp.txt"), "192 129\n");
    ReadResult r = Read(dir, std::string("[Params]\nCodePage=") + c.code_page + "\nPageDetail=\\cp.txt\n");
    if (c.canonical == nullptr) {
      EXPECT_FALSE(r.ok) << c.code_page;
      EXPECT_EQ(r.message, "Incorrect code page") << c.code_page;
      EXPECT_EQ(r.cause, std::string("CodePage=") + c.code_page + " is not Win, Dos or OEM");
      continue;
    }
    ASSERT_TRUE(r.ok) << c.code_page << r.message;
    EXPECT_EQ(r.settings.code_page, c.canonical) << c.code_page;
    EXPECT_EQ(r.names.map[c.in], c.out) << c.code_page;
  }
  unsetenv("VELKOCON_CODEPAGES");
}

// The "Dos" translation for a pair of code pages, as the converter builds it.
std::string DosTable(const char* pair, bool* ok) {
  setenv("VELKOCON_CODEPAGES", pair, 1);
  unsigned char table[256];
  *ok = platform::BuildAnsiToOemTable(table).ok();
  unsetenv("VELKOCON_CODEPAGES");
  return std::string(reinterpret_cast<char*>(table), 256);
}

TEST(DosTranslation, CyrillicAndWestern) {
  bool ok = false;
  std::string cyrillic = DosTable("1251:866", &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(static_cast<unsigned char>(cyrillic[0xC0]), 0x80);  // capital A
  EXPECT_EQ(static_cast<unsigned char>(cyrillic[0xFF]), 0xEF);  // small ya
  for (int b = 0; b < 128; ++b) EXPECT_EQ(static_cast<unsigned char>(cyrillic[b]), b);

  std::string western = DosTable("1252:437", &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(static_cast<unsigned char>(western[0xE9]), 0x82);  // e acute
  EXPECT_EQ(static_cast<unsigned char>(western[0xC4]), 0x8E);  // A umlaut
  EXPECT_EQ(static_cast<unsigned char>(western[0xC0]), '?');   // A grave has no place in 437
}

TEST(DosTranslation, UnknownPairFailsLikeASettingsFailure) {
  TempDir dir;
  WriteFile(dir.File("velkocon.ini"), "[Params]\n");
  auto r = RunProgram(BinPath("VelkoCon"), {"001"}, dir.path(), {"VELKOCON_CODEPAGES=1251:9999"});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "Code pages 1251:9999 are not known to this system\n");
  r = RunProgram(BinPath("VelkoCon"), {"001"}, dir.path(), {"VELKOCON_CODEPAGES=cyrillic"});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "VELKOCON_CODEPAGES is not of the form ANSI:OEM, such as 1251:866\n");
}

// A Unicode price list needs the ANSI code page even where CodePage=Win
// needs no pair; without one the run ends before the PLU file is made.
// The shop names its scales: a run that went on would not ask the resolver.
TEST(DosTranslation, UnicodePriceListNeedsTheAnsiCodePage) {
  testing_support::Shop shop;
  shop.Settings("[Params]\nCodePage=Win\n");
  shop.PriceList("\xEF\xBB\xBF" "1;A;1\n");
  auto r = shop.Converter({"001"}, {"VELKOCON_CODEPAGES=cyrillic"});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "VELKOCON_CODEPAGES is not of the form ANSI:OEM, such as 1251:866\n");
  EXPECT_FALSE(shop.Has("qs001F25.dat"));
}

TEST(DosTranslation, LocaleChoosesThePair) {
  struct Case {
    const char* lang;
    unsigned char in;
    unsigned char out;
  } cases[] = {
      {"ru_RU.UTF-8", 0xC0, 0x80},  // 1251:866
      {"C", 0xE9, 0x82},            // 1252:437
      {"en_US.UTF-8", 0xC0, '?'},   // 1252:437 has no A grave
      {"de_DE.UTF-8", 0xC0, 0xB7},  // 1252:850 has it
      {"pl_PL", 0xA5, 0xA4},        // 1250:852, A ogonek
  };
  for (const Case& c : cases) {
    unsetenv("VELKOCON_CODEPAGES");
    setenv("LC_ALL", c.lang, 1);
    unsigned char table[256];
    {
      auto status = platform::BuildAnsiToOemTable(table);
      ASSERT_TRUE(status.ok()) << c.lang << status.message();
    }
    EXPECT_EQ(table[c.in], c.out) << c.lang;
    unsetenv("LC_ALL");
  }
}

}  // namespace
