// What the test kit's program starter (child_process.h) promises on Linux and
// Windows alike: built into the platform contract tests, so that it runs
// under wine too. The program it starts is platform_test_helper.
#include "support/child_process.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace testing_support {
namespace {

constexpr int kProgramWaitMs = 10000;

TEST(ChildProcessTest, MergeEnvironmentPutsTheEntriesOverTheBase) {
  const std::vector<std::string> base = {"PATH=/bin", "Mode=old", "=C:=C:\\", "Other=1"};
  const struct {
    const char* what;
    std::vector<std::string> entries;
    bool ignore_case;
    std::vector<std::string> expected;
  } kCases[] = {
      {"no entries", {}, false, base},
      {"a new variable", {"New=1"}, false, {"PATH=/bin", "Mode=old", "=C:=C:\\", "Other=1", "New=1"}},
      {"a replaced variable", {"Mode=new"}, false, {"PATH=/bin", "=C:=C:\\", "Other=1", "Mode=new"}},
      {"an emptied variable", {"Mode="}, false, {"PATH=/bin", "=C:=C:\\", "Other=1", "Mode="}},
      {"another letter case, POSIX", {"MODE=new"}, false, {"PATH=/bin", "Mode=old", "=C:=C:\\", "Other=1", "MODE=new"}},
      {"another letter case, Windows", {"MODE=new"}, true, {"PATH=/bin", "=C:=C:\\", "Other=1", "MODE=new"}},
      {"a name that begins with =", {"=C:=D:\\"}, false, {"PATH=/bin", "Mode=old", "Other=1", "=C:=D:\\"}},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(MergeEnvironment(base, c.entries, c.ignore_case), c.expected) << c.what;
  }
}

TEST(ChildProcessTest, ExitStatusAndWorkingFolder) {
  TempDir dir;
  for (int status : {0, 3, 255}) {
    ChildProcess child;
    ASSERT_TRUE(child.Start(HelperPath(), {"exit", std::to_string(status)}));
    ASSERT_TRUE(child.Wait(kProgramWaitMs));
    EXPECT_TRUE(child.ended());
    EXPECT_EQ(child.exit_status(), status);
    EXPECT_EQ(child.signal(), 0);
  }
  ChildSetup setup;
  setup.directory = dir.path();
  ChildProcess child;
  ASSERT_TRUE(child.Start(HelperPath(), {"touch", "made here"}, setup));
  ASSERT_TRUE(child.Wait(kProgramWaitMs));
  EXPECT_EQ(child.exit_status(), 0);
  EXPECT_TRUE(Exists(dir.File("made here")));
  // The object starts the next program once the one before has ended.
  ASSERT_TRUE(child.Start(HelperPath(), {"sleep-pid", dir.File("pid"), "30000"}));
  EXPECT_FALSE(child.ended());
  EXPECT_FALSE(child.Start(HelperPath(), {"exit", "0"})) << "while the one before runs";
  child.Kill();
  ASSERT_TRUE(child.Wait(kProgramWaitMs));
  ASSERT_TRUE(child.Start(HelperPath(), {"exit", "4"}));
  ASSERT_TRUE(child.Wait(kProgramWaitMs));
  EXPECT_EQ(child.exit_status(), 4);
}

TEST(ChildProcessTest, EnvironmentEntriesGoOverTheCallers) {
  TempDir dir;
  SetVariable("ChildProcessTest_Kept", "kept");
  SetVariable("ChildProcessTest_Replaced", "old");
  // Each variable and the value the program sees.
  const std::pair<const char*, const char*> kCases[] = {
      {"ChildProcessTest_Kept", "kept"},
      {"ChildProcessTest_Replaced", "new"},
      {"ChildProcessTest_Added", "added"},
      {"ChildProcessTest_Never", "<none>"},
  };
  ChildSetup setup;
  setup.environment = {"ChildProcessTest_Replaced=new", "ChildProcessTest_Added=added"};
  for (const auto& [name, expected] : kCases) {
    ChildProcess child;
    ASSERT_TRUE(child.Start(HelperPath(), {"variable", name, dir.File("value")}, setup));
    ASSERT_TRUE(child.Wait(kProgramWaitMs));
    EXPECT_EQ(ReadFile(dir.File("value")), expected) << name;
  }
}

// More than a pipe holds, so that the program can end only while it is read.
TEST(ChildProcessTest, StreamsAreCapturedOrDiscarded) {
  constexpr int kRepeats = 40000;
  const std::string many(4 * kRepeats, 'o');
  const struct {
    const char* what;
    StreamUse output;
    StreamUse error;
    std::string expected_output;
    std::string expected_error;
  } kCases[] = {
      {"both captured", StreamUse::kCapture, StreamUse::kCapture, many, "err"},
      {"output captured", StreamUse::kCapture, StreamUse::kDiscard, many, ""},
      {"error captured", StreamUse::kDiscard, StreamUse::kCapture, "", "err"},
      {"both discarded", StreamUse::kDiscard, StreamUse::kDiscard, "", ""},
  };
  for (const auto& c : kCases) {
    ChildSetup setup;
    setup.input = StreamUse::kDiscard;
    setup.output = c.output;
    setup.error = c.error;
    ChildProcess child;
    ASSERT_TRUE(child.Start(HelperPath(), {"print", "oooo", "err", std::to_string(kRepeats)}, setup)) << c.what;
    ASSERT_TRUE(child.Wait(kProgramWaitMs)) << c.what;
    EXPECT_EQ(child.exit_status(), 0) << c.what;
    EXPECT_EQ(child.output().size(), c.expected_output.size()) << c.what;
    EXPECT_TRUE(child.output() == c.expected_output) << c.what;
    EXPECT_EQ(child.error_output(), c.expected_error) << c.what;
  }
}

TEST(ChildProcessTest, WaitEndsAtItsLimitAndKillEndsTheProgram) {
  TempDir dir;
  ChildProcess child;
  ASSERT_TRUE(child.Start(HelperPath(), {"sleep-pid", dir.File("pid"), "30000"}));
  EXPECT_TRUE(child.WaitForReadyFile(dir.File("pid"), kProgramWaitMs));
  const long long before = NowMs();
  EXPECT_FALSE(child.Wait(100));
  EXPECT_GE(NowMs() - before, 100);
  EXPECT_FALSE(child.ended());
  EXPECT_FALSE(ProcessIsGone(child.id()));
  child.Kill();
  ASSERT_TRUE(child.Wait(kProgramWaitMs));
  EXPECT_TRUE(child.ended());
  EXPECT_TRUE(ProcessIsGone(child.id()));
#ifndef _WIN32
  EXPECT_EQ(child.exit_status(), -1);
  EXPECT_EQ(child.signal(), 9);
  EXPECT_GT(child.peak_memory_kb(), 0);
#endif
}

TEST(ChildProcessTest, ReadyFileNeverComesFromAProgramThatEnded) {
  TempDir dir;
  ChildProcess child;
  ASSERT_TRUE(child.Start(HelperPath(), {"exit", "0"}));
  EXPECT_FALSE(child.WaitForReadyFile(dir.File("ready"), kProgramWaitMs));
  EXPECT_TRUE(child.ended());
}

TEST(ChildProcessTest, MissingProgramDoesNotRun) {
  TempDir dir;
  ChildProcess child;
  const bool started = child.Start(dir.File("missing"), {});
#ifdef _WIN32
  EXPECT_FALSE(started);
#else
  // The child process exists already when execve fails.
  ASSERT_TRUE(started);
  ASSERT_TRUE(child.Wait(kProgramWaitMs));
  EXPECT_EQ(child.exit_status(), 127);
#endif
}

#ifndef _WIN32
// A program of a group of its own: Kill ends what it started too.
TEST(ChildProcessTest, KillEndsTheOwnGroup) {
  TempDir dir;
  ChildSetup setup;
  setup.own_group = true;
  ChildProcess shell;
  ASSERT_TRUE(shell.Start("/bin/sh", {"-c", "sleep 30 & echo $! > '" + dir.File("pid") + "'; wait"}, setup));
  ASSERT_TRUE(WaitForFile(dir.File("pid"), kProgramWaitMs));
  const long long sleeper = std::stoll(ReadFile(dir.File("pid")));
  shell.Kill();
  ASSERT_TRUE(shell.Wait(kProgramWaitMs));
  bool gone = false;
  for (long long end = NowMs() + kProgramWaitMs; !gone && NowMs() < end; SleepMs(10)) gone = ProcessIsGone(sleeper);
  EXPECT_TRUE(gone);
}
#endif

}  // namespace
}  // namespace testing_support
