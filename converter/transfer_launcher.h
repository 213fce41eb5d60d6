// Starting the transfer program for one data file, waiting for it, and
// learning how the transfer went.
#pragma once

#include <string>

#include "common/scale_file_names.h"
#include "converter/run_context.h"

namespace converter {

struct TransferOutcome {
  bool ok = false;
  std::string cause;  // why it failed, in words
};

// Runs the transfer program ("xferlnk" of the working directory if there is
// one, else the one beside the converter) with the data file's argument (such
// as "F25.DAT", "F25" in DHCP mode) and the scale identifier, in the working
// directory, and waits without a time limit. The
// messages written so far are flushed first, so that the programs' messages
// keep their order.
//
// The transfer went well only if the program could be started, ended with
// exit status 0 and left the result file "error" holding "0"; the converter
// removes an old "error" first, so that a stale one cannot pass. A failed
// transfer is named on the error stream ("Transfer of F25.DAT to scale 001
// failed: <cause>") and in the run log.
TransferOutcome RunTransfer(const RunContext& context, common::DataFile file);

}  // namespace converter
