// The load mode: the PLU file, then the transfers F34, F38, F25 and either
// the store name (F52) or the empty F92 key file; with Verify=1 the scales
// that took the PLU file are read back (converter/scale_verification.h). The
// check mode makes the PLU file and sends nothing; the verify mode makes it
// and reads every scale back, sending no record, key or file packet.
#pragma once

#include "base/status.h"
#include "converter/run_context.h"

namespace converter {

// Runs the load mode (context.mode kLoad), the check mode (kCheck) or the
// verify mode (kVerify). A
// failure ends it before the transfers that follow; a failed transfer does
// not (the outcome tells).
RunStatus RunLoadMode(const RunContext& context, RunOutcome* outcome);

}  // namespace converter
