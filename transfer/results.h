// Result codes of a per-scale transfer (common/transfer_results.h).
#pragma once

#include "common/transfer_results.h"

namespace transfer {

using common::kResultFileUnusable;
using common::kResultKeyReplyOrWriteFailed;
using common::kResultNoConnection;
using common::kResultNoReply;
using common::kResultReceiveFailed;
using common::kResultSendFailed;

}  // namespace transfer
