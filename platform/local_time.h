// The present moment as the shop PC's clock shows it, for log lines.
#pragma once

#include <string>

namespace platform {

struct LocalTime {
  int year = 0;    // such as 2024
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59, 60 in a leap second where the system shows one
  // How far local time is ahead of UTC, in minutes (-300 in New York in
  // winter, 60 in Berlin): local time = UTC + utc_offset_minutes.
  int utc_offset_minutes = 0;
};

// The current local date and time, in the time zone (and summer time) the
// system is set to at the moment of the call.
LocalTime CurrentLocalTime();

// The local date and time at which the file (under its resolved name) was
// last written, without the offset; false if it cannot be read.
bool FileModifiedLocalTime(const std::string& path, LocalTime* time);

}  // namespace platform
