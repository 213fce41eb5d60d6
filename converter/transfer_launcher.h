// Starting the transfer program for one data file and waiting for it.
#pragma once

#include "common/scale_file_names.h"
#include "converter/run_context.h"

namespace converter {

// Runs the transfer program ("xferlnk" of the working directory if there is
// one, else the one beside the converter) with the data file's argument (such
// as "F25.DAT") and the scale identifier split at runs of blanks, in the
// working directory, and waits without a time limit. The messages written so
// far are flushed first, so that the programs' messages keep their order. If
// the program cannot be started, one line on the error stream names it and
// the run goes on.
void RunTransfer(const RunContext& context, common::DataFile file);

}  // namespace converter
