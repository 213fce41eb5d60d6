// The load mode: the PLU file, then the transfers F34, F38, F25 and either
// the store name (F52) or the empty F92 key file, then the closing banner.
#pragma once

#include "converter/run_context.h"

namespace converter {

// Runs the load mode; the result is the exit code.
int RunLoadMode(const RunContext& context);

}  // namespace converter
