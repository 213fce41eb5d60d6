// "scalesim serve": one process serving one or more scales over TCP, single
// threaded around one poll loop.
#pragma once

#include "scalesim/serve_options.h"

namespace scalesim {

// Exit codes of the emulator.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitStartFailed = 2;  // a store or listener could not be set up
constexpr int kExitStoreFailed = 3;  // a store could not be written

// Serves until SIGTERM or SIGINT, then writes every changed store and
// returns an exit code.
int Serve(const ServeOptions& options);

}  // namespace scalesim
