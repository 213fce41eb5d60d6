// The store-name record: key 1, length, label format, font, translated name.
#include <gtest/gtest.h>

#include "converter/store_name.h"

namespace {

converter::NameTable Identity() {
  converter::NameTable t;
  for (int b = 0; b < 256; ++b) t.map[b] = static_cast<unsigned char>(b);
  return t;
}

TEST(StoreNameRecord, Layout) {
  struct Case {
    std::string name;
    int label_format;
    int font;
    std::string expected;
  } cases[] = {
      {"ABC", 17, 5, "00000001000F001105034142430C00"},
      {"A", 17, 5, "00000001000D00110501410C00"},
      {"A", 99, 0, "00000001000D00630001410C00"},
      {"A", 0, 9, "00000001000D00000901410C00"},
  };
  for (const Case& c : cases) {
    converter::Settings s;
    s.shop_name = c.name;
    s.label_format = c.label_format;
    s.shop_font = c.font;
    EXPECT_EQ(converter::BuildStoreNameRecord(s, Identity()), c.expected) << c.name;
  }
}

TEST(StoreNameRecord, LongestName) {
  converter::Settings s;
  s.shop_name = std::string(99, 'Z');
  std::string record = converter::BuildStoreNameRecord(s, Identity());
  ASSERT_EQ(record.size(), 24u + 2 * 99);
  EXPECT_EQ(record.substr(8, 4), "006F");
  EXPECT_EQ(record.substr(18, 2), "63");
  EXPECT_EQ(record.substr(record.size() - 4), "0C00");
}

TEST(StoreNameRecord, NameGoesThroughTheTable) {
  converter::Settings s;
  s.shop_name = "\xC0" "B";
  converter::NameTable zeros;  // a CodePage other than Dos, Win and OEM
  EXPECT_EQ(converter::BuildStoreNameRecord(s, zeros), "00000001000E001105020000" "0C00");
  converter::NameTable table = Identity();
  table.map[0xC0] = 0x80;
  EXPECT_EQ(converter::BuildStoreNameRecord(s, table), "00000001000E001105028042" "0C00");
}

}  // namespace
