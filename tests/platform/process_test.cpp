// What platform/process.h promises on every platform.
#include "platform/process.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform_test_support.h"

namespace {

using platform_test::HelperPath;
using platform_test::ReadFile;
using platform_test::TempDir;

// The arguments the helper wrote, each ended by a zero byte.
std::vector<std::string> SplitAtZeros(const std::string& bytes) {
  std::vector<std::string> words;
  std::string::size_type start = 0;
  for (std::string::size_type end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1) {
    words.push_back(bytes.substr(start, end - start));
  }
  return words;
}

TEST(ProcessTest, ArgumentsArriveAsGiven) {
  TempDir dir;
  const std::vector<std::string> given = {
      "F25.DAT", "001", "two words", "", "tab\there", "say \"hi\"", "C:\\dir\\file", "trailing\\",
      "dir with blank\\", "a\\\"b", "\\\\server\\share", "\"", " ",
  };
  std::vector<std::string> arguments = {"arguments", dir.File("argv")};
  arguments.insert(arguments.end(), given.begin(), given.end());
  ASSERT_TRUE(platform::RunProgramAndWait(HelperPath(), arguments, dir.path()));
  EXPECT_EQ(SplitAtZeros(ReadFile(dir.File("argv"))), given);
}

TEST(ProcessTest, RunsInTheFolderWithTheCallersEnvironment) {
  TempDir dir;
  platform_test::SetVariable("PlatformTest_Inherited", "from the caller");
  ASSERT_TRUE(platform::RunProgramAndWait(HelperPath(), {"touch", "made here"}, dir.path()));
  EXPECT_TRUE(platform::FileExists(dir.File("made here")));
  ASSERT_TRUE(platform::RunProgramAndWait(HelperPath(), {"variable", "PlatformTest_Inherited", "value"}, dir.path()));
  EXPECT_EQ(ReadFile(dir.File("value")), "from the caller");
}

TEST(ProcessTest, MissingProgramIsNotStarted) {
  TempDir dir;
  EXPECT_FALSE(platform::RunProgramAndWait(dir.File(platform::ProgramFileName("missing")), {}, dir.path()));
}

}  // namespace
