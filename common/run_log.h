// The run log that the converter keeps in its working folder and the
// transfer program adds to when the converter tells it where: one line per
// event, each beginning with the local time in ISO 8601
// ("2026-12-08T06:00:01+01:00"). Past kMaxLogBytes the log moves to its name
// + ".1" (replacing an older one) and begins anew.
#pragma once

#include <cstdint>
#include <string>

#include "platform/local_time.h"

namespace common {

constexpr std::uint64_t kMaxLogBytes = 1 << 20;

// The environment variable through which the converter hands the log's full
// path to the transfer program it starts.
extern const char kLogVariable[];

// "2026-12-08T06:00:01+01:00".
std::string IsoLocalTime(const platform::LocalTime& time);

class RunLog {
 public:
  RunLog() = default;  // off
  explicit RunLog(std::string path) : path_(std::move(path)) {}

  bool on() const { return !path_.empty(); }

  // Appends one line: the local time, a blank, text. False if the log is on
  // and could not take it.
  bool Write(const std::string& text) const;

 private:
  std::string path_;
};

// Seconds with one decimal ("0.4").
std::string SecondsText(double seconds);

}  // namespace common
