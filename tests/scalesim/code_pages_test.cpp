// The code-page helpers the converter and the emulator share: the
// "ANSI:OEM" pair and the byte-by-byte iconv translation; and the code page
// "show" reads names in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/code_page_pair.h"
#include "platform/iconv_bytes.h"
#include "raw_client.h"
#include "scalesim/text_codes.h"

namespace {

using scalesim::NameCodePage;

// Sets an environment variable for the life of the object (nullptr: not
// defined), then puts back what was there.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    Set(value);
  }
  ~ScopedVariable() { Set(saved_ ? saved_->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  void Set(const char* value) {
    if (value == nullptr) {
      unsetenv(name_);
    } else {
      setenv(name_, value, 1);
    }
  }
  const char* name_;
  std::optional<std::string> saved_;
};

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

TEST(NameTableTest, ShowsEachByteAsTheCharacterOfTheCodePage) {
  struct Case {
    NameCodePage code_page;
    const char* pair;       // --codepage ANSI:OEM (kPair only)
    const char* variable;   // VELKOCON_CODEPAGES; nullptr: not defined
    const char* locale;     // LC_ALL, where the variable names no pair
    const char* bytes;      // hex
    const char* text;       // UTF-8
  };
  const Case cases[] = {
      // Win: the ANSI code page of the pair.
      {NameCodePage::kWin, "", "1252:850", "C", "808C8A9E", "\u20AC\u0152\u0160\u017E"},  // Euro, OE, S caron, z caron
      {NameCodePage::kWin, "", "1252:437", "C", "4D6172E96520E0", "Mar\u00E9e \u00E0"},
      {NameCodePage::kWin, "", "1251:866", "C", "C0F0E880B9", "\u0410\u0440\u0438\u0402\u2116"},  // Ari, Dje, numero
      {NameCodePage::kWin, "", "1250:852", "C", "A3F3649F8A9E", "\u0141\u00F3d\u017A\u0160\u017E"},  // Lodz, S, z caron
      // ... else the locale's pair, as the converter takes it.
      {NameCodePage::kWin, "", nullptr, "C", "808C8A9E", "\u20AC\u0152\u0160\u017E"},
      {NameCodePage::kWin, "", "", "ru_RU.UTF-8", "C0F0E8", "\u0410\u0440\u0438"},
      {NameCodePage::kWin, "", "", "pl_PL.UTF-8", "A3F3649F", "\u0141\u00F3d\u017A"},
      {NameCodePage::kWin, "", "", "de_DE.UTF-8", "80", "\u20AC"},
      // Control bytes and bytes the code page leaves unmapped are '?'.
      {NameCodePage::kWin, "", "1252:850", "C", "41017F81429D", "A???B?"},
      {NameCodePage::kWin, "", "1251:866", "C", "98", "?"},
      // Dos: the OEM code page of the pair.
      {NameCodePage::kDos, "", "1251:866", "C", "8FE0A8F0", "\u041F\u0440\u0438\u0401"},  // Pri, Yo
      {NameCodePage::kDos, "", "1250:852", "C", "9DA264AB", "\u0141\u00F3d\u017A"},
      {NameCodePage::kDos, "", "1252:437", "C", "82B0", "\u00E9\u2591"},  // e acute, light shade
      // ... without the variable, the OEM bytes of the locale's pair that the
      // converter's Dos translation writes; the others are '?'.
      {NameCodePage::kDos, "", "", "ru_RU.UTF-8", "8FE0A8F0B0", "\u041F\u0440\u0438\u0401?"},
      {NameCodePage::kDos, "", nullptr, "C", "82B0", "\u00E9?"},
      // A pair given: its OEM code page, whatever the variable says.
      {NameCodePage::kPair, "1251:866", "1252:850", "C", "8FE0A8", "\u041F\u0440\u0438"},
      {NameCodePage::kPair, "1250:852", nullptr, "C", "9DA264AB", "\u0141\u00F3d\u017A"},
  };
  for (const Case& c : cases) {
    ScopedVariable variable(platform::kCodePagesVariable, c.variable);
    ScopedVariable locale("LC_ALL", c.locale);
    platform::CodePagePair pair;
    if (c.code_page == NameCodePage::kPair) {
      ASSERT_TRUE(platform::ParseCodePagePair(c.pair, &pair)) << c.pair;
    }
    scalesim::NameTable table;
    std::string problem;
    std::string label = std::string(c.variable ? c.variable : "-") + " " + c.locale + " " + c.bytes;
    ASSERT_TRUE(scalesim::BuildNameTable(c.code_page, pair, &table, &problem)) << label << ": " << problem;
    auto bytes = scalesim_test::FromHex(c.bytes);
    EXPECT_EQ(scalesim::ShowBytes(table, std::string(bytes.begin(), bytes.end())), c.text) << label;
  }
}

TEST(NameTableTest, FailsWhereTheCodePageCannotBeHad) {
  struct Case {
    NameCodePage code_page;
    const char* pair;
    const char* variable;
    const char* problem;
  };
  const Case cases[] = {
      {NameCodePage::kWin, "", "cyrillic", "VELKOCON_CODEPAGES is not of the form ANSI:OEM, such as 1251:866\n"},
      {NameCodePage::kDos, "", "1251-866", "VELKOCON_CODEPAGES is not of the form ANSI:OEM, such as 1251:866\n"},
      {NameCodePage::kWin, "", "9999:866", "Code page 9999 is not known to this system\n"},
      {NameCodePage::kDos, "", "1251:9999", "This code page is not known to the system\n"},
      {NameCodePage::kDos, "", "9999:866", "This code page is not known to the system\n"},
      {NameCodePage::kPair, "99999:866", nullptr, "This code page is not known to the system\n"},
      {NameCodePage::kPair, "1251:99999", nullptr, "This code page is not known to the system\n"},
  };
  for (const Case& c : cases) {
    ScopedVariable variable(platform::kCodePagesVariable, c.variable);
    platform::CodePagePair pair;
    if (c.code_page == NameCodePage::kPair) {
      ASSERT_TRUE(platform::ParseCodePagePair(c.pair, &pair)) << c.pair;
    }
    scalesim::NameTable table;
    std::string problem;
    EXPECT_FALSE(scalesim::BuildNameTable(c.code_page, pair, &table, &problem)) << c.pair << c.variable;
    EXPECT_EQ(problem, c.problem) << c.pair << c.variable;
  }
}

}  // namespace
