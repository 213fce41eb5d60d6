// The platform layer's failures: what the system said went wrong. Every
// service of the layer that can fail returns a SystemStatus whose message is
// the system's own words for it and whose system_error() is the system's
// number (errno on POSIX, GetLastError on Windows); its code sorts the
// failures the programs tell apart.
#pragma once

#include "base/status.h"

namespace platform {

enum class SystemCode {
  kOk = 0,
  kNotFound,  // no such file or folder
  kNoSpace,   // the disk or the file-size limit is full
  kDenied,    // no right to it, or it is in use
  kTimedOut,  // a wait ran out
  kFailed,    // anything else
};

using SystemStatus = base::Status<SystemCode>;

// The failure of a system error number, with the system's message for it
// (without its line end; "system error N" where the system has none).
SystemStatus SystemError(int error);

// A failure that has no system error number behind it.
SystemStatus Failure(std::string message);

}  // namespace platform
