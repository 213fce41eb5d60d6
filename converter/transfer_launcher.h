// Starting the transfer program for one data file, waiting for it, and
// learning how the transfer went.
#pragma once

#include <string>

#include "base/status.h"
#include "common/scale_file_names.h"
#include "converter/run_context.h"

namespace converter {

// How a transfer went; a failure's message is the cause in words.
enum class LaunchResult {
  kOk = 0,
  kNotStarted,     // the program could not be started, or an old result file not removed
  kProgramFailed,  // it ended by a signal or with an exit code of its own failures
  kScaleFailed,    // it recorded the scale as failed, or left no result file
};
using LaunchStatus = base::Status<LaunchResult>;

// Runs the transfer program ("xferlnk" of the working directory if there is
// one, else the one beside the converter) with the data file's argument (such
// as "F25.DAT", "F25" in DHCP mode) and the scale identifier, in the working
// directory, and waits without a time limit. The messages written so far are
// flushed first, so that the programs' messages keep their order.
//
// The transfer went well only if the program could be started, ended with
// exit status 0 and left the result file "error" holding "0"; the converter
// removes an old "error" first, so that a stale one cannot pass. A failed
// transfer is named on the error stream ("Transfer of F25.DAT to scale 001
// failed: <cause>") and in the run log.
LaunchStatus RunTransfer(const RunContext& context, common::DataFile file);

// A transfer that is not started (its file is missing): named and logged as
// failed with the cause, as RunTransfer names a failed one.
LaunchStatus NotStarted(const RunContext& context, common::DataFile file, const std::string& cause);

}  // namespace converter
