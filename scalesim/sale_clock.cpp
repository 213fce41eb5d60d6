#include "scalesim/sale_clock.h"

namespace scalesim {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Days from 1 March of year 0 to 1 January 2000 in the proleptic Gregorian
// calendar, as the day count below reckons.
constexpr std::int64_t kDaysTo2000 = 730425;

// Days since 1 March of year 0 (eras of 400 years of 146097 days).
std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = y / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

void CivilFromDays(std::int64_t z, int* y, int* m, int* d) {
  const std::int64_t era = z / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

}  // namespace

DateTime ToDateTime(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  DateTime when;
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t rest = seconds % kSecondsPerDay;
  CivilFromDays(days + kDaysTo2000, &when.year, &when.month, &when.day);
  when.hour = static_cast<int>(rest / 3600);
  when.minute = static_cast<int>(rest / 60 % 60);
  when.second = static_cast<int>(rest % 60);
  return when;
}

std::int64_t ToSeconds(const DateTime& when) {
  std::int64_t days = DaysFromCivil(when.year, when.month, when.day) - kDaysTo2000;
  return days * kSecondsPerDay + when.hour * 3600 + when.minute * 60 + when.second;
}

std::uint64_t DateNumber(const DateTime& when) {
  return static_cast<std::uint64_t>(when.day * 10000 + when.month * 100 + when.year % 100);
}

std::uint64_t TimeNumber(const DateTime& when) {
  return static_cast<std::uint64_t>(when.hour * 10000 + when.minute * 100 + when.second);
}

}  // namespace scalesim
