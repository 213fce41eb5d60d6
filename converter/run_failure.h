// What ends a converter run early: the code of the status that carries the
// failure up to the driver, which turns it into its exit code and prints its
// message on the stream that goes with it.
#pragma once

namespace converter {

enum RunFailure : int {
  kFailureSettings = 1,  // velkocon.ini absent or not valid
  kFailureCommandLine,   // the arguments name no run
  kFailurePriceList,     // the price list cannot be opened or read
  kFailureScaleFile,     // a scale file cannot be created or written
  kFailureReport,        // a report's incoming file is missing, stale or cannot be read
  kFailureArchive,       // an earlier incoming file cannot be kept in the archive
};

}  // namespace converter
