// "scalesim serve": one process serving one or more scales over TCP, single
// threaded around one poll loop.
#pragma once

#include "common/message_sink.h"

#include "scalesim/command_line.h"

namespace scalesim {

// Serves until SIGTERM or SIGINT, then writes every changed store and
// returns an exit code (scalesim/exit_codes.h).
int Serve(const Options& options, common::MessageSink& messages);

}  // namespace scalesim
