// The retrieval modes: report ("-Report"), transaction ("-Transact") and
// real-time buffer ("-RTBuffer"). Each fetches the files its settings switch
// on and converts them into report files.
#pragma once

#include "base/status.h"
#include "converter/run_context.h"

namespace converter {

// Runs the retrieval mode of context.mode. A missing, stale or unreadable
// incoming file ends it with RunFailure::kReport; a report that is not whole
// (no data, incomplete, not written) is noted in the outcome and the mode
// goes on.
RunStatus RunRetrievalMode(const RunContext& context, RunOutcome* outcome);

}  // namespace converter
