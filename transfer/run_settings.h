// What a run of the transfer program takes from its environment: the
// transfer mode, the time limit for a scale's reply, the limits of a read
// and how many scales are served at once.
#pragma once

#include <string>

#include "common/scale_file_names.h"
#include "common/transfer_contract.h"

namespace transfer {

struct RunSettings {
  // Scale-number mode: a scale argument is a scale number (7 is the host
  // S0007 on port 2007). DHCP mode: a scale argument is a host name or
  // address.
  common::TransferMode mode = common::TransferMode::kScaleNumber;
  int reply_wait_ms = static_cast<int>(common::kReplyWaitLimit.fallback) * 1000;
  long long max_records = common::kMaxRecordsLimit.fallback;
  long long max_bytes = common::kMaxBytesLimit.fallback;
  int max_seconds = static_cast<int>(common::kMaxSecondsLimit.fallback);
  int parallel = static_cast<int>(common::kParallelLimit.fallback);
};

// Reads XFLTCPMODE and the numbers of the limits (common/transfer_contract.h;
// names in any letter case). A failure names the first variable whose value
// cannot be taken, and its range.
common::VariableStatus ReadRunSettings(RunSettings* settings);

}  // namespace transfer
