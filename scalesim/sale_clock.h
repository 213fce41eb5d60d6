// The simulated clock of the sales: seconds since 1 January 2000, 00:00:00,
// and the date and time fields the records carry.
#pragma once

#include <cstdint>

namespace scalesim {

struct DateTime {
  int year = 2000;  // four digits
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

DateTime ToDateTime(std::int64_t seconds);
std::int64_t ToSeconds(const DateTime& when);

// The date as the number DDMMYY and the time as HHMMSS.
std::uint64_t DateNumber(const DateTime& when);
std::uint64_t TimeNumber(const DateTime& when);

}  // namespace scalesim
