// Win32 implementation of platform/local_time.h: one reading of the UTC
// clock turned into local time, and the offset as their difference.
#include "platform/local_time.h"

#include "platform/windows_headers_win32.h"

namespace platform {
namespace {

// FILETIME counts 100-nanosecond steps.
constexpr long long kStepsPerMinute = 60LL * 10000000LL;

long long Steps(const SYSTEMTIME& time) {
  FILETIME file_time;
  SystemTimeToFileTime(&time, &file_time);
  return (static_cast<long long>(file_time.dwHighDateTime) << 32) | file_time.dwLowDateTime;
}

}  // namespace

LocalTime CurrentLocalTime() {
  SYSTEMTIME utc, local;
  GetSystemTime(&utc);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  LocalTime t;
  t.year = local.wYear;
  t.month = local.wMonth;
  t.day = local.wDay;
  t.hour = local.wHour;
  t.minute = local.wMinute;
  t.second = local.wSecond;
  t.utc_offset_minutes = static_cast<int>((Steps(local) - Steps(utc)) / kStepsPerMinute);
  return t;
}

bool FileModifiedLocalTime(const std::string& path, LocalTime* time) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  SYSTEMTIME utc, local;
  if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc)) return false;
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  *time = LocalTime();
  time->year = local.wYear;
  time->month = local.wMonth;
  time->day = local.wDay;
  time->hour = local.wHour;
  time->minute = local.wMinute;
  time->second = local.wSecond;
  return true;
}

}  // namespace platform
