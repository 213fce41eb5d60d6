// POSIX implementation of platform/local_time.h.
#include "platform/local_time.h"

#include <time.h>

namespace platform {

LocalTime CurrentLocalTime() {
  time_t now = time(nullptr);
  tzset();  // the zone as set now, should TZ have changed since the start
  struct tm local;
  localtime_r(&now, &local);
  LocalTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  t.utc_offset_minutes = static_cast<int>(local.tm_gmtoff / 60);
  return t;
}

}  // namespace platform
