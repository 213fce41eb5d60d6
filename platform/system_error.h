// Inside the platform layer: a system error number as a failure whose
// message is the system's own words for it (errno on POSIX, GetLastError on
// Windows).
#pragma once

#include "common/status.h"

namespace platform {

// The failure with code error and the system's message for it, without its
// line end ("system error N" where the system has none).
common::Status SystemError(int error);

}  // namespace platform
