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

// The system's files with a clock that shows 8 December 2026, 06:00:01 at
// one hour east of UTC.
struct MorningEnv : platform::EnvWrapper {
  MorningEnv() : EnvWrapper(platform::SystemEnv()) {}
  platform::LocalTime LocalNow() override {
    platform::LocalTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 8;
    t.hour = 6;
    t.second = 1;
    t.utc_offset_minutes = 60;
    return t;
  }
};

TEST(RunLog, MovesToDotOneOnceItHasReachedItsSize) {
  const std::string line = "2026-12-08T06:00:01+01:00 VelkoCon start scale=001 mode=load\n";
  const struct {
    std::uint64_t size_before;
    bool moved;
  } cases[] = {{0, false}, {common::kMaxLogBytes - 1, false}, {common::kMaxLogBytes, true}};
  for (const auto& c : cases) {
    TempDir dir;
    MorningEnv env;
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
