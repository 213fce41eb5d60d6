// What ends a converter run early: the code of the status that carries the
// failure up to the driver, which turns it into its exit code and prints its
// message on the stream that goes with it.
#pragma once

#include "base/status.h"

namespace converter {

enum class RunFailure {
  kOk = 0,
  kSettings,     // velkocon.ini absent or not valid
  kCommandLine,  // the arguments name no run
  kPriceList,    // the price list cannot be opened or read
  kScaleFile,    // a scale file cannot be created or written
  kReport,       // a report's incoming file is missing, stale or cannot be read
  kArchive,      // an earlier incoming file cannot be kept in the archive
};

using RunStatus = base::Status<RunFailure>;

}  // namespace converter
