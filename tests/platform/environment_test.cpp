// What platform/environment.h promises on every platform.
#include "platform/environment.h"

#include <gtest/gtest.h>

#include "platform/process.h"
#include "support/test_support.h"

namespace {

TEST(EnvironmentTest, NamesIgnoreLetterCase) {
  testing_support::SetVariable("PlatformTest_Mode", "DHCP and more");
  testing_support::SetVariable("PlatformTest_Empty", "");
  const struct {
    const char* name;
    bool found;
    const char* value;
  } cases[] = {
      {"PlatformTest_Mode", true, "DHCP and more"},
      {"PLATFORMTEST_MODE", true, "DHCP and more"},
      {"platformtest_mode", true, "DHCP and more"},
      {"PlatformTest_Empty", true, ""},
      {"PlatformTest_Mod", false, ""},
      {"PlatformTest_Missing", false, ""},
  };
  for (const auto& c : cases) {
    std::string value;
    EXPECT_EQ(platform::FindEnvironmentVariable(c.name, &value), c.found) << c.name;
    EXPECT_EQ(value, c.value) << c.name;
  }
}

TEST(EnvironmentTest, SetVariableIsFoundAndInherited) {
  ASSERT_TRUE(platform::SetEnvironmentVariable("PlatformTest_Set", "log path"));
  std::string value;
  EXPECT_TRUE(platform::FindEnvironmentVariable("PLATFORMTEST_SET", &value));
  EXPECT_EQ(value, "log path");
  testing_support::TempDir dir;
  platform::ProgramEnd end;
  ASSERT_TRUE(platform::RunProgramToEnd(testing_support::HelperPath(), {"variable", "PlatformTest_Set", "value"},
                                        dir.path(), &end).ok());
  EXPECT_EQ(testing_support::ReadFile(dir.File("value")), "log path");
}

}  // namespace
