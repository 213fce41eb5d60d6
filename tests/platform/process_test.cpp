// What platform/process.h promises on every platform.
#include "platform/process.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/test_support.h"

namespace {

using testing_support::HelperPath;
using testing_support::ReadFile;
using testing_support::TempDir;

// The arguments the helper wrote, each ended by a zero byte.
std::vector<std::string> SplitAtZeros(const std::string& bytes) {
  std::vector<std::string> words;
  std::string::size_type start = 0;
  for (std::string::size_type end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1) {
    words.push_back(bytes.substr(start, end - start));
  }
  return words;
}

// True if the program could be started (and has ended).
bool Runs(const std::string& program, const std::vector<std::string>& arguments, const std::string& directory) {
  platform::ProgramEnd end;
  return platform::RunProgramToEnd(program, arguments, directory, &end).ok();
}

TEST(ProcessTest, ArgumentsArriveAsGiven) {
  TempDir dir;
  const std::vector<std::string> given = {
      "F25.DAT", "001", "two words", "", "tab\there", "say \"hi\"", "C:\\dir\\file", "trailing\\",
      "dir with blank\\", "a\\\"b", "\\\\server\\share", "\"", " ",
  };
  std::vector<std::string> arguments = {"arguments", dir.File("argv")};
  arguments.insert(arguments.end(), given.begin(), given.end());
  ASSERT_TRUE(Runs(HelperPath(), arguments, dir.path()));
  EXPECT_EQ(SplitAtZeros(ReadFile(dir.File("argv"))), given);
}

TEST(ProcessTest, RunsInTheFolderWithTheCallersEnvironment) {
  TempDir dir;
  testing_support::SetVariable("PlatformTest_Inherited", "from the caller");
  ASSERT_TRUE(Runs(HelperPath(), {"touch", "made here"}, dir.path()));
  EXPECT_TRUE(platform::FileExists(dir.File("made here")));
  ASSERT_TRUE(Runs(HelperPath(), {"variable", "PlatformTest_Inherited", "value"}, dir.path()));
  EXPECT_EQ(ReadFile(dir.File("value")), "from the caller");
}

TEST(ProcessTest, MissingProgramIsNotStarted) {
  TempDir dir;
  const std::string missing = dir.File(platform::ProgramFileName("missing"));
  EXPECT_FALSE(Runs(missing, {}, dir.path()));
  platform::ProgramEnd end;
  auto status = platform::RunProgramToEnd(missing, {}, dir.path(), &end);
  EXPECT_FALSE(status.ok());
  EXPECT_FALSE(status.message().empty());
  EXPECT_FALSE(platform::RunProgramToEnd(HelperPath(), {"exit", "0"}, dir.File("no such folder"), &end).ok());
}

TEST(ProcessTest, EndReportsTheExitStatus) {
  TempDir dir;
  for (std::uint32_t status : {0u, 3u, 255u}) {
    platform::ProgramEnd end;
    ASSERT_TRUE(platform::RunProgramToEnd(HelperPath(), {"exit", std::to_string(status)}, dir.path(), &end).ok());
    EXPECT_FALSE(end.by_signal);
    EXPECT_EQ(end.exit_status, status);
  }
#ifndef _WIN32
  platform::ProgramEnd end;
  ASSERT_TRUE(platform::RunProgramToEnd(HelperPath(), {"kill-self"}, dir.path(), &end).ok());
  EXPECT_TRUE(end.by_signal);
  EXPECT_EQ(end.signal, 9);
#endif
}

// The helper "start-child" runs a second helper that sleeps; the first one is
// killed at once, and the second one must go with it.
TEST(ProcessTest, StartedProgramDoesNotOutliveItsStarter) {
  TempDir dir;
  const std::string pid_file = dir.File("child pid");
  testing_support::BackgroundProgram starter;
  ASSERT_TRUE(starter.Start(HelperPath(), {"start-child", pid_file}));
  ASSERT_TRUE(testing_support::WaitForFile(pid_file, 10000));
  const long long child = std::stoll(ReadFile(pid_file));
  EXPECT_FALSE(testing_support::ProcessIsGone(child));
  starter.Kill();
  ASSERT_TRUE(starter.Wait(10000));
  bool gone = false;
  for (long long end = testing_support::NowMs() + 10000; !gone && testing_support::NowMs() < end;) {
    gone = testing_support::ProcessIsGone(child);
    if (!gone) testing_support::SleepMs(20);
  }
  EXPECT_TRUE(gone);
}

}  // namespace
