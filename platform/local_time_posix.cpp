// POSIX implementation of platform/local_time.h.
#include "platform/local_time.h"

#include <sys/stat.h>
#include <time.h>

#include "platform/files.h"

namespace platform {

namespace {

LocalTime Broken(time_t moment) {
  tzset();  // the zone as set now, should TZ have changed since the start
  struct tm local;
  localtime_r(&moment, &local);
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

}  // namespace

LocalTime CurrentLocalTime() { return Broken(time(nullptr)); }

bool FileModifiedLocalTime(const std::string& path, LocalTime* time) {
  struct stat st;
  if (stat(ResolveName(path).c_str(), &st) != 0) return false;
  *time = Broken(st.st_mtime);
  time->utc_offset_minutes = 0;
  return true;
}

}  // namespace platform
