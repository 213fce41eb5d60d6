// The load mode: the PLU file, then the transfers F34, F38, F25 and either
// the store name (F52) or the empty F92 key file.
#pragma once

#include "common/status.h"
#include "converter/run_context.h"

namespace converter {

// Runs the load mode. A failure ends it before the transfers that follow.
common::Status RunLoadMode(const RunContext& context, RunOutcome* outcome);

}  // namespace converter
