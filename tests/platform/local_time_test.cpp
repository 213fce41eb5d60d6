// What platform/local_time.h promises: local time less its offset is the
// UTC time of the C library's clock.
#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "support/test_support.h"

namespace {

// Seconds since 1970-01-01 of a date and time read as UTC (days from the
// civil calendar, as in the proleptic Gregorian one).
long long SecondsSinceEpoch(const platform::LocalTime& t) {
  int year = t.month <= 2 ? t.year - 1 : t.year;
  long long era = (year >= 0 ? year : year - 399) / 400;
  long long year_of_era = year - era * 400;
  long long day_of_year = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
  long long day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  long long days = era * 146097 + day_of_era - 719468;
  return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

void ExpectMatchesTheClock(int expected_offset_minutes, bool offset_known) {
  long long before = static_cast<long long>(std::time(nullptr));
  platform::LocalTime t = platform::CurrentLocalTime();
  long long after = static_cast<long long>(std::time(nullptr));
  EXPECT_GE(t.year, 2020);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31) << t.month << " " << t.day;
  EXPECT_TRUE(t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 60);
  long long utc = SecondsSinceEpoch(t) - t.utc_offset_minutes * 60LL;
  EXPECT_GE(utc, before);
  EXPECT_LE(utc, after);
  if (offset_known) {
    EXPECT_EQ(t.utc_offset_minutes, expected_offset_minutes);
  }
}

TEST(LocalTimeTest, LocalLessOffsetIsUtc) { ExpectMatchesTheClock(0, false); }

TEST(LocalTimeTest, FileModifiedNowIsNow) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir.File("f.txt"), "x");
  platform::LocalTime now = platform::CurrentLocalTime();
  platform::LocalTime written;
  ASSERT_TRUE(platform::FileModifiedLocalTime(dir.File("f.txt"), &written));
  written.utc_offset_minutes = now.utc_offset_minutes;
  EXPECT_LE(std::llabs(SecondsSinceEpoch(written) - SecondsSinceEpoch(now)), 2);
  EXPECT_FALSE(platform::FileModifiedLocalTime(dir.File("missing.txt"), &written));
}

#ifndef _WIN32
TEST(LocalTimeTest, FollowsTheZoneSetNow) {
  const char* saved = std::getenv("TZ");
  std::string restore = saved != nullptr ? saved : "";
  testing_support::SetVariable("TZ", "<+0330>-3:30");
  ExpectMatchesTheClock(210, true);
  testing_support::SetVariable("TZ", "<-05>5");
  ExpectMatchesTheClock(-300, true);
  if (saved != nullptr) {
    testing_support::SetVariable("TZ", restore);
  } else {
    unsetenv("TZ");
  }
}
#endif

}  // namespace
