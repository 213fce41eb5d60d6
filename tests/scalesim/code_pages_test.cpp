// The code-page helpers the converter and the emulator share: the
// "ANSI:OEM" pair and the byte-by-byte iconv translation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/code_page_pair.h"
#include "platform/iconv_bytes.h"

namespace {

TEST(CodePagePairTest, ReadsAnsiColonOem) {
  struct Case {
    const char* text;
    bool ok;
    int ansi;
    int oem;
  };
  const Case cases[] = {
      {"1251:866", true, 1251, 866},
      {" 1251:\t+866", true, 1251, 866},  // blanks and a plus sign before a number
      {"01252:0437", true, 1252, 437},
      {"99999:866", true, 99999, 866},     // known or not is iconv's to say
      {"1251:866 ", false, 0, 0},          // nothing after the second number
      {"1251 :866", false, 0, 0},
      {"1251:", false, 0, 0},
      {":866", false, 0, 0},
      {"1251", false, 0, 0},
      {"0:866", false, 0, 0},
      {"-1251:866", false, 0, 0},
      {"1251:866:437", false, 0, 0},
      {"cyrillic", false, 0, 0},
      {"", false, 0, 0},
      {"99999999999:866", false, 0, 0},    // beyond an int
  };
  for (const Case& c : cases) {
    platform::CodePagePair pair;
    EXPECT_EQ(platform::ParseCodePagePair(c.text, &pair), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(pair.ansi, c.ansi) << c.text;
      EXPECT_EQ(pair.oem, c.oem) << c.text;
    }
  }
}

TEST(CodePagePairTest, ReadsTheVariable) {
  struct Case {
    const char* value;  // nullptr: not defined
    platform::CodePagesSetting setting;
  };
  const Case cases[] = {
      {nullptr, platform::CodePagesSetting::kNotSet},
      {"", platform::CodePagesSetting::kNotSet},
      {"1250:852", platform::CodePagesSetting::kSet},
      {"1250-852", platform::CodePagesSetting::kMalformed},
  };
  for (const Case& c : cases) {
    if (c.value == nullptr) {
      unsetenv(platform::kCodePagesVariable);
    } else {
      setenv(platform::kCodePagesVariable, c.value, 1);
    }
    platform::CodePagePair pair;
    EXPECT_EQ(platform::ReadCodePagesVariable(&pair), c.setting) << (c.value ? c.value : "unset");
  }
  unsetenv(platform::kCodePagesVariable);
}

TEST(ByteConverterTest, TranslatesOneByteAtATime) {
  struct Case {
    int from;           // code page
    const char* to;     // iconv name
    unsigned char byte;
    bool ok;
    std::string bytes;
  };
  const Case cases[] = {
      {1251, "CP866", 0xC0, true, "\x80"},          // capital A
      {1252, "CP437", 0xE9, true, "\x82"},          // e acute
      {1252, "CP437", 0xC0, false, ""},             // A grave has no place in 437
      {866, "UTF-8", 0x8F, true, "\xD0\x9F"},       // capital Pe
      {437, "UTF-8", 'A', true, "A"},
  };
  for (const Case& c : cases) {
    platform::ByteConverter converter;
    ASSERT_TRUE(converter.Open(platform::CodePageEncoding(c.from), c.to)) << c.from;
    std::string out = "stale";
    EXPECT_EQ(converter.Convert(c.byte, &out), c.ok) << c.from << " " << int(c.byte);
    EXPECT_EQ(out, c.bytes) << c.from << " " << int(c.byte);
  }
  platform::ByteConverter unknown;
  EXPECT_EQ(platform::CodePageEncoding(9999), "CP9999");
  EXPECT_FALSE(unknown.Open("CP9999", "CP866"));
  std::string out;
  EXPECT_FALSE(unknown.Convert('A', &out));
}

}  // namespace
