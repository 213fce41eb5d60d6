#include "transfer/run_settings.h"

#include "base/decimal_text.h"
#include "common/transfer_contract.h"
#include "platform/environment.h"

namespace transfer {
namespace {

// A decimal number from low to high, nothing else; fallback otherwise.
long BoundedNumber(bool defined, const std::string& value, long low, long high, long fallback) {
  long long number = 0;
  if (!defined || !base::ParseDecimal(value, low, high, &number)) return fallback;
  return static_cast<long>(number);
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
  bool defined = platform::FindEnvironmentVariable(common::kTransferModeVariable, &value);
  settings.mode = common::TransferModeFromValue(defined, value);
  value.clear();
  defined = platform::FindEnvironmentVariable(common::kReplyWaitVariable, &value);
  settings.reply_wait_ms = ReplyWaitSecondsFromValue(defined, value) * 1000;
  value.clear();
  defined = platform::FindEnvironmentVariable(common::kMaxRecordsVariable, &value);
  settings.max_records = MaxRecordsFromValue(defined, value);
  value.clear();
  defined = platform::FindEnvironmentVariable(common::kParallelVariable, &value);
  settings.parallel =
      static_cast<int>(BoundedNumber(defined, value, 1, common::kMaxParallelScales, kDefaultParallelScales));
  return settings;
}

}  // namespace transfer
