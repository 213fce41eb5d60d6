#include "transfer/run_settings.h"

#include "platform/environment.h"

namespace transfer {
namespace {

const char kModeVariable[] = "XFLTCPMODE";
const char kReplyWaitVariable[] = "XFLTIMEOUT";
const char kMaxRecordsVariable[] = "XFLMAXRECORDS";

// A decimal number from low to high, nothing else; fallback otherwise.
long BoundedNumber(bool defined, const std::string& value, long low, long high, long fallback) {
  if (!defined || value.empty()) return fallback;
  long number = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return fallback;
    number = number * 10 + (c - '0');
    if (number > high) return fallback;
  }
  return number < low ? fallback : number;
}

}  // namespace

int ReplyWaitSecondsFromValue(bool defined, const std::string& value) {
  return static_cast<int>(
      BoundedNumber(defined, value, kMinReplyWaitSeconds, kMaxReplyWaitSeconds, kDefaultReplyWaitSeconds));
}

long MaxRecordsFromValue(bool defined, const std::string& value) {
  return BoundedNumber(defined, value, 1, kMaxMaxRecords, kDefaultMaxRecords);
}

RunSettings ReadRunSettings() {
  RunSettings settings;
  std::string value;
  bool defined = platform::FindEnvironmentVariable(kModeVariable, &value);
  settings.mode = TransferModeFromValue(defined, value);
  value.clear();
  defined = platform::FindEnvironmentVariable(kReplyWaitVariable, &value);
  settings.reply_wait_ms = ReplyWaitSecondsFromValue(defined, value) * 1000;
  value.clear();
  defined = platform::FindEnvironmentVariable(kMaxRecordsVariable, &value);
  settings.max_records = MaxRecordsFromValue(defined, value);
  return settings;
}

}  // namespace transfer
