#include "transfer/run_settings.h"

#include "platform/environment.h"

namespace transfer {

common::VariableStatus ReadRunSettings(RunSettings* settings) {
  std::string value;
  const bool defined = platform::FindEnvironmentVariable(common::kTransferModeVariable, &value);
  settings->mode = common::TransferModeFromValue(defined, value);
  long long reply_wait = 0, max_records = 0, max_bytes = 0, max_seconds = 0, parallel = 0;
  const struct {
    const common::TransferLimit& limit;
    long long* number;
  } reads[] = {{common::kReplyWaitLimit, &reply_wait}, {common::kMaxRecordsLimit, &max_records},
               {common::kMaxBytesLimit, &max_bytes},   {common::kMaxSecondsLimit, &max_seconds},
               {common::kParallelLimit, &parallel}};
  for (const auto& read : reads) {
    if (common::VariableStatus status = common::ReadTransferLimit(read.limit, read.number); !status.ok()) {
      return status;
    }
  }
  settings->reply_wait_ms = static_cast<int>(reply_wait) * 1000;
  settings->max_records = max_records;
  settings->max_bytes = max_bytes;
  settings->max_seconds = static_cast<int>(max_seconds);
  settings->parallel = static_cast<int>(parallel);
  return common::VariableStatus::Ok();
}

}  // namespace transfer
