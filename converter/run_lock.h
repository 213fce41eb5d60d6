// One converter run at a time in a working folder: the run holds an
// exclusive lock on the lock file "velkocon.lck" there for its whole run
// (released when it ends, also when it is killed). A second run says once on
// the error stream that it waits, and waits.
#pragma once

#include "base/status.h"
#include "converter/run_context.h"
#include "platform/file_lock.h"

namespace converter {

extern const char kRunLockName[];

// Takes the lock of the context's working folder into lock, waiting for
// another run to end. A failure (the lock file cannot be made) names it; the
// run then ends.
RunStatus TakeRunLock(const RunContext& context, platform::FileLock* lock);

}  // namespace converter
