// The run log: one line per event after the local time, and the move to
// ".1" once the log has reached its size.
#include "common/run_log.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fault_env.h"
#include "support/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// 8 December 2026, 06:00:01 at one hour east of UTC.
const platform::LocalTime kMorning = testing_support::LocalTimeOf(2026, 12, 8, 6, 0, 1, 60);

TEST(RunLog, MovesToDotOneOnceItHasReachedItsSize) {
  const std::string line = "2026-12-08T06:00:01+01:00 VelkoCon start scale=001 mode=load\n";
  const struct {
    std::uint64_t size_before;
    bool moved;
  } cases[] = {{0, false}, {common::kMaxLogBytes - 1, false}, {common::kMaxLogBytes, true}};
  for (const auto& c : cases) {
    TempDir dir;
    testing_support::ClockEnv env(kMorning);
    const std::string log = dir.File("velkocon.log");
    const std::string before(c.size_before, 'x');
    if (c.size_before > 0) WriteFile(log, before);
    WriteFile(log + ".1", "older");
    ASSERT_TRUE(common::RunLog(env, log).Write("VelkoCon start scale=001 mode=load").ok());
    EXPECT_EQ(ReadFile(log), c.moved ? line : before + line) << c.size_before;
    EXPECT_EQ(ReadFile(log + ".1"), c.moved ? before : "older") << c.size_before;
  }
}

TEST(RunLog, OffWritesNothingAndAFullDiskIsReported) {
  EXPECT_TRUE(common::RunLog().Write("anything").ok());
  TempDir dir;
  testing_support::FaultEnv env;
  env.SetSpaceLeft(10);
  EXPECT_FALSE(common::RunLog(env, dir.File("velkocon.log")).Write("VelkoCon start").ok());
}

}  // namespace
