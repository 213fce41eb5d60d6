// The platform services as the built converter uses them, seen from outside:
// how "velkocon.ini" is read and how "Dos" translates names. The cases hold
// for the programs of either platform, so they run again against the Windows
// programs (scripts/test-windows.sh).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/shop.h"

namespace {

using testing_support::Hex;
using testing_support::ProgramResult;

// The store-name record of a name under label format 17 and shop font 5.
std::string StoreNameRecord(const std::string& name_bytes, int label_format = 17, int shop_font = 5) {
  char head[32];
  std::snprintf(head, sizeof head, "00000001%04X00%02X%02X%02X", static_cast<unsigned>(12 + name_bytes.size()),
                label_format, shop_font, static_cast<unsigned>(name_bytes.size()));
  return head + Hex(name_bytes) + "0C00";
}

// Runs a load with an empty price list and the given settings; nothing
// listens at the scale's address. The store-name file ("<missing>" without a
// shop name) is what the run made of the settings.
std::string StoreNameFileOf(const std::string& ini, const std::vector<std::string>& extra_env = {},
                            ProgramResult* result = nullptr) {
  testing_support::Shop shop;
  shop.Settings(ini);
  shop.PriceList("1;A;1\n");
  ProgramResult r = shop.Converter({"001", "2"}, extra_env);
  if (result != nullptr) *result = r;
  return shop.Read("qs001F52.dat");
}

TEST(PlatformEndToEnd, ProfileFileSemantics) {
  struct Case {
    const char* ini;
    const char* shop_name;  // null: no shop name found
  } cases[] = {
      {"[Params]\nShop Name=Corner\n", "Corner"},
      {"[params]\nshop name=Corner\n", "Corner"},  // names ignore case
      {"  [ Params ]  \n  Shop Name  =   Corner Shop   \n", "Corner Shop"},
      {"[Params]\nShop Name=\"  quoted  \"\n", "  quoted  "},
      {"[Params]\nShop Name='single'\n", "single"},
      {"[Params]\n;Shop Name=Comment\n", nullptr},
      {"[Params]\n   ; Shop Name=Comment\nShop Name=Real\n", "Real"},
      {"[Params]\nShop Name=A ; not a comment\n", "A ; not a comment"},
      {"\xEF\xBB\xBF[Params]\r\nShop Name=Bom\r\n", "Bom"},
      {"[Params]\nShop Name=First\nShop Name=Second\n", "First"},
      {"[Params]\nX=1\n[Other]\nShop Name=Other\n", nullptr},
      {"Shop Name=Outside\n[Params]\n", nullptr},
      {"[Params]\nShop Name=a=b\n", "a=b"},
      {"[Params]\nShop Name\n", nullptr},
  };
  for (const Case& c : cases) {
    ProgramResult r;
    std::string record = StoreNameFileOf(c.ini, {}, &r);
    EXPECT_EQ(r.status, 6) << c.ini << r.out << r.err;  // the run went on to its transfers, which fail
    EXPECT_EQ(record, c.shop_name != nullptr ? StoreNameRecord(c.shop_name) : "<missing>") << c.ini;
  }
}

TEST(PlatformEndToEnd, ProfileTextIsCutTo99Characters) {
  EXPECT_EQ(StoreNameFileOf("[Params]\nShop Name=" + std::string(150, 'N') + "\n"),
            StoreNameRecord(std::string(99, 'N')));
}

TEST(PlatformEndToEnd, ProfileIntegers) {
  struct Case {
    const char* values;
    int label_format;
    int shop_font;
  } cases[] = {
      {"Label Format=7\nShop Font=3\n", 7, 3},
      {"Label Format= 42 \nShop Font=+2\n", 42, 2},
      {"Label Format=8x\nShop Font=1.9\n", 8, 1},  // digits up to the first other character
      {"Label Format=\nShop Font=\n", 17, 5},      // empty: the defaults
      {"Label Format=abc\nShop Font=0\n", 0, 0},   // no digits: 0
  };
  for (const Case& c : cases) {
    std::string ini = std::string("[Params]\nShop Name=ABC\n") + c.values;
    EXPECT_EQ(StoreNameFileOf(ini), StoreNameRecord("ABC", c.label_format, c.shop_font)) << c.values;
  }
}

TEST(PlatformEndToEnd, DosFollowsTheSystemsCodePages) {
  // Without VELKOCON_CODEPAGES the pair comes from the language: Russian
  // 1251:866, German 1252:850.
  struct Case {
    const char* locale;
    const char* in;
    const char* out;
  } cases[] = {
      {"ru_RU.UTF-8", "\xC0\xC1" "A", "\x80\x81" "A"},
      {"de_DE.UTF-8", "\xC0\xE9" "A", "\xB7\x82" "A"},
  };
  for (const Case& c : cases) {
    std::string ini = std::string("[Params]\nCodePage=Dos\nShop Name=") + c.in + "\n";
    EXPECT_EQ(StoreNameFileOf(ini, {"LC_ALL=" + std::string(c.locale), "VELKOCON_CODEPAGES="}), StoreNameRecord(c.out))
        << c.locale;
  }
}

}  // namespace
