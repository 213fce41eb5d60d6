// The load mode: the PLU file, then the transfers F34, F38, F25 and either
// the store name (F52) or the empty F92 key file. The check mode makes the
// PLU file and sends nothing.
#pragma once

#include "base/status.h"
#include "converter/run_context.h"

namespace converter {

// Runs the load mode (context.mode kLoad) or the check mode (kCheck). A
// failure ends it before the transfers that follow; a failed transfer does
// not (the outcome tells).
RunStatus RunLoadMode(const RunContext& context, RunOutcome* outcome);

}  // namespace converter
