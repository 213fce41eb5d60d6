// What platform/profile.h promises: the rules of the shop PC's system for
// reading profile files, on every platform.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

// Loads text as a profile file of its own folder.
class ProfileFile {
 public:
  explicit ProfileFile(const std::string& text) {
    WriteFile(dir_.File("velkocon.ini"), text);
    loaded_ = platform::LoadProfile(dir_.File("velkocon.ini"), &profile_);
  }
  bool loaded() const { return loaded_; }
  const platform::Profile& profile() const { return profile_; }

 private:
  TempDir dir_;
  platform::Profile profile_;
  bool loaded_ = false;
};

TEST(ProfileReader, Semantics) {
  struct Case {
    const char* text;
    const char* key;
    bool found;
    const char* value;
  } cases[] = {
      {"[Params]\nShop Name=Corner\n", "Shop Name", true, "Corner"},
      {"[params]\nshop name=Corner\n", "SHOP NAME", true, "Corner"},                 // names ignore case
      {"  [ Params ]  \n  Shop Name  =   Corner Shop   \n", "Shop Name", true, "Corner Shop"},
      {"[Params]\nShop Name=\"  quoted  \"\n", "Shop Name", true, "  quoted  "},     // quotes kept blanks
      {"[Params]\nShop Name='single'\n", "Shop Name", true, "single"},
      {"[Params]\nShop Name=\"unmatched'\n", "Shop Name", true, "\"unmatched'"},
      {"[Params]\n;Shop Name=Comment\n", "Shop Name", false, ""},
      {"[Params]\n   ; Shop Name=Comment\nShop Name=Real\n", "Shop Name", true, "Real"},
      {"[Params]\nShop Name=A ; not a comment\n", "Shop Name", true, "A ; not a comment"},
      {"\xEF\xBB\xBF[Params]\r\nShop Name=Bom\r\n", "Shop Name", true, "Bom"},       // BOM and CR LF
      {"[Params]\nShop Name=First\nShop Name=Second\n", "Shop Name", true, "First"},
      {"[Params]\nX=1\n[Other]\nShop Name=Other\n", "Shop Name", false, ""},
      {"[Params]\nX=1\n[Other]\n[Params]\nShop Name=Second section\n", "Shop Name", false, ""},
      {"Shop Name=Outside\n[Params]\n", "Shop Name", false, ""},
      {"[Params]\nShop Name=a=b\n", "Shop Name", true, "a=b"},
      {"[Params]\nShop Name\n", "Shop Name", false, ""},
  };
  for (const Case& c : cases) {
    ProfileFile file(c.text);
    ASSERT_TRUE(file.loaded());
    bool found = false;
    std::string value = platform::ProfileString(file.profile(), "Params", c.key, 99, &found);
    EXPECT_EQ(found, c.found) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(ProfileReader, TextIsCutTo99Characters) {
  std::string long_value(150, 'x');
  ProfileFile file("[Params]\nK=" + long_value + "\n");
  EXPECT_EQ(platform::ProfileString(file.profile(), "Params", "K", 99), std::string(99, 'x'));
}

TEST(ProfileReader, Integers) {
  struct Case {
    const char* line;
    int expected;
  } cases[] = {
      {"", 7},          // missing key: default
      {"K=\n", 7},      // empty value: default
      {"K=42\n", 42},   {"K=  -5\n", -5}, {"K=+9\n", 9},  {"K=12abc\n", 12},
      {"K=abc\n", 0},   {"K=-\n", 0},     {"K=\"15\"\n", 15},
#ifndef _WIN32
      // Beyond the range of int each side goes its own way: this reader
      // stops at the limit, the system's wraps around.
      {"K=99999999999\n", 2147483647},
#endif
  };
  for (const Case& c : cases) {
    ProfileFile file(std::string("[Params]\n") + c.line);
    EXPECT_EQ(platform::ProfileInt(file.profile(), "Params", "K", 7), c.expected) << c.line;
  }
}

TEST(ProfileReader, MissingFileHasNoKeys) {
  TempDir dir;
  platform::Profile profile;
  EXPECT_FALSE(platform::LoadProfile(dir.File("velkocon.ini"), &profile));
  bool found = true;
  EXPECT_EQ(platform::ProfileString(profile, "Params", "Shop Name", 99, &found), "");
  EXPECT_FALSE(found);
  EXPECT_EQ(platform::ProfileInt(profile, "Params", "Label Format", 17), 17);
}

TEST(ProfileReader, KeysOfASection) {
  ProfileFile file("; settings\n[Other]\nX=1\n[Params]\nShop Name=A\nLabel Format = 17\nTypo Key=3\n");
  ASSERT_TRUE(file.loaded());
  std::vector<std::string> keys;
  EXPECT_TRUE(platform::ProfileKeys(file.profile(), "params", &keys));
  EXPECT_EQ(keys, (std::vector<std::string>{"Shop Name", "Label Format", "Typo Key"}));
  EXPECT_FALSE(platform::ProfileKeys(file.profile(), "Missing", &keys));
  EXPECT_TRUE(keys.empty());
}

}  // namespace
