// "scalesim sell": simulated sales at one scale, from the PLUs loaded into
// it, written into its store. It works on the store files directly, so it
// must not run while a "serve" of the same store is up: that serve would
// write its own tables over the sales when a connection closes or it stops.
#pragma once

#include "common/message_sink.h"

#include "scalesim/command_line.h"

namespace scalesim {

// Simulates --count sales at scale --scale with the seed --seed; prints one
// summary line. Returns an exit code (scalesim/exit_codes.h).
int Sell(const Options& options, common::MessageSink& messages);

}  // namespace scalesim
