// "scalesim show": what the scales of a store hold, for people.
#pragma once

#include "common/message_sink.h"

#include "scalesim/command_line.h"

namespace scalesim {

// Prints the tables of the scale --scale (or of every scale of the store)
// on standard output. Returns an exit code (scalesim/exit_codes.h).
int Show(const Options& options, common::MessageSink& messages);

}  // namespace scalesim
