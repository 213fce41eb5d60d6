// The retrieval modes: report ("-Report"), transaction ("-Transact") and
// real-time buffer ("-RTBuffer"). Each fetches the files its settings switch
// on and converts them into report files.
#pragma once

#include "converter/run_context.h"

namespace converter {

// Runs the retrieval mode of context.mode; the result is the exit code.
int RunRetrievalMode(const RunContext& context);

}  // namespace converter
