// The run log that the converter keeps in its working folder and the
// transfer program adds to when the converter tells it where: one line per
// event, each beginning with the local time in ISO 8601
// ("2026-12-08T06:00:01+01:00"). Past kMaxLogBytes the log moves to its name
// + ".1" (replacing an older one) and begins anew.
#pragma once

#include <cstdint>
#include <string>

#include "platform/env.h"

namespace common {

constexpr std::uint64_t kMaxLogBytes = 1 << 20;

// "2026-12-08T06:00:01+01:00".
std::string IsoLocalTime(const platform::LocalTime& time);

class RunLog {
 public:
  RunLog() = default;  // off
  RunLog(platform::Env& env, std::string path) : env_(&env), path_(std::move(path)) {}

  bool on() const { return env_ != nullptr && !path_.empty(); }
  const std::string& path() const { return path_; }

  // Appends one line: the local time, a blank, text. A failure if the log is
  // on and could not take it.
  platform::SystemStatus Write(const std::string& text) const;

 private:
  platform::Env* env_ = nullptr;
  std::string path_;
};

// Seconds with one decimal ("0.4").
std::string SecondsText(double seconds);

}  // namespace common
