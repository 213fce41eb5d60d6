// POSIX implementation of platform/system_error.h.
#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

SystemCode CodeOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return SystemCode::kNotFound;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return SystemCode::kNoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
      return SystemCode::kDenied;
    default:
      return SystemCode::kFailed;
  }
}

}  // namespace

SystemStatus SystemError(int error) { return SystemStatus::Error(CodeOf(error), std::strerror(error), error); }

SystemStatus Failure(std::string message) { return SystemStatus::Error(SystemCode::kFailed, std::move(message)); }

}  // namespace platform
