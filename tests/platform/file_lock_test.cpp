// What platform/file_lock.h promises on every platform, between this test
// and the helper program.
#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/test_support.h"

namespace {

using testing_support::HelperPath;
using testing_support::ReadFile;
using testing_support::TempDir;

constexpr int kProgramWaitMs = 10000;

TEST(FileLockTest, SecondHolderSaysItWaitsThenGetsTheLock) {
  TempDir dir;
  const std::string lock_path = dir.File("run.lock");
  platform::FileLock lock;
  int waits = 0;
  ASSERT_TRUE(lock.Acquire(lock_path, [&waits] { ++waits; }).ok());
  EXPECT_EQ(waits, 0);
  EXPECT_TRUE(lock.held());

  testing_support::BackgroundProgram other;
  ASSERT_TRUE(other.Start(HelperPath(), {"wait-lock", lock_path, dir.File("report")}));
  ASSERT_TRUE(testing_support::WaitForFile(dir.File("report"), kProgramWaitMs));
  testing_support::SleepMs(200);
  EXPECT_EQ(ReadFile(dir.File("report")), "waiting\n");  // still waiting while held here
  lock.Release();
  EXPECT_FALSE(lock.held());
  ASSERT_TRUE(other.Wait(kProgramWaitMs));
  EXPECT_EQ(ReadFile(dir.File("report")), "waiting\nlocked\n");
}

TEST(FileLockTest, FreeLockIsTakenWithoutWaiting) {
  TempDir dir;
  testing_support::BackgroundProgram other;
  ASSERT_TRUE(other.Start(HelperPath(), {"wait-lock", dir.File("run.lock"), dir.File("report")}));
  ASSERT_TRUE(other.Wait(kProgramWaitMs));
  EXPECT_EQ(ReadFile(dir.File("report")), "locked\n");
}

TEST(FileLockTest, LockGoesWithAHolderThatDies) {
  TempDir dir;
  const std::string lock_path = dir.File("run.lock");
  testing_support::BackgroundProgram holder;
  ASSERT_TRUE(holder.Start(HelperPath(), {"hold-lock", lock_path, dir.File("report")}));
  ASSERT_TRUE(testing_support::WaitForFile(dir.File("report"), kProgramWaitMs));
  holder.Kill();
  ASSERT_TRUE(holder.Wait(kProgramWaitMs));
  platform::FileLock lock;
  int waits = 0;
  ASSERT_TRUE(lock.Acquire(lock_path, [&waits] { ++waits; }).ok());
  EXPECT_EQ(waits, 0);
}

TEST(FileLockTest, LockFileInAMissingFolderFails) {
  TempDir dir;
  platform::FileLock lock;
  auto status = lock.Acquire(platform::JoinPath(dir.File("missing"), "run.lock"), [] {});
  EXPECT_FALSE(status.ok());
  EXPECT_FALSE(status.message().empty());
  EXPECT_FALSE(lock.held());
}

}  // namespace
