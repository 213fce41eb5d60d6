// POSIX implementation of platform/system_error.h.
#include "platform/system_error.h"

#include <cstring>

namespace platform {

common::Status SystemError(int error) { return common::Status::Error(error, std::strerror(error)); }

}  // namespace platform
