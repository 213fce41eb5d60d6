// Starting the transfer program for one data file and the scales of the run,
// waiting for it, and learning how the transfer went for each scale.
#pragma once

#include <string>
#include <vector>

#include "base/status.h"
#include "common/scale_file_names.h"
#include "converter/run_context.h"

namespace converter {

// How a transfer went for one scale; a failure's message is the cause in
// words. A kScaleFailed status carries the transfer program's result number
// (-5, -6...) as its system_error(), where it recorded one.
enum class LaunchResult {
  kOk = 0,
  kNotStarted,     // the program could not be started, an old result file not removed, a file missing
  kProgramFailed,  // it ended by a signal or with an exit code of its own failures
  kScaleFailed,    // it recorded the scale as failed, or left no result file
};
using LaunchStatus = base::Status<LaunchResult>;

// Runs the transfer program ("xferlnk" of the working directory if there is
// one, else the one beside the converter) once, with the data file's
// argument (such as "F25.DAT", "F25" in DHCP mode) and the scales'
// identifiers, in the working directory, and waits without a time limit.
// The messages written so far are flushed first, so that the programs'
// messages keep their order. The outcome of each scale, in their order.
//
// A transfer went well for a scale only if the program could be started,
// ended with exit status 0 and left the result file "error" holding "0", or
// ended with exit status 1 and did not list the scale there; the converter
// removes an old "error" first, so that a stale one cannot pass. Each failed
// transfer is named on the error stream ("Transfer of F25.DAT to scale 001
// failed: <cause>"); each transfer has a line in the run log.
std::vector<LaunchStatus> RunTransfer(const RunContext& context, common::DataFile file,
                                      const std::vector<std::string>& scales);

// A transfer to a scale that is not started (its file is missing): named and
// logged as failed with the cause, as RunTransfer names a failed one.
LaunchStatus NotStarted(const RunContext& context, common::DataFile file, const std::string& scale,
                        const std::string& cause);

}  // namespace converter
