// Win32 implementation of platform/system_error.h.
#include "platform/system_error.h"

#include <string>

#include "platform/windows_headers_win32.h"

namespace platform {
namespace {

constexpr DWORD kLongestMessage = 512;

SystemCode CodeOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return SystemCode::kNotFound;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return SystemCode::kNoSpace;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return SystemCode::kDenied;
    default:
      return SystemCode::kFailed;
  }
}

}  // namespace

SystemStatus SystemError(int error) {
  const DWORD number = static_cast<DWORD>(error);
  char text[kLongestMessage];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, number, 0, text,
                                kLongestMessage, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) --length;
  if (length == 0) return SystemStatus::Error(CodeOf(number), "system error " + std::to_string(number), error);
  return SystemStatus::Error(CodeOf(number), std::string(text, length), error);
}

SystemStatus Failure(std::string message) { return SystemStatus::Error(SystemCode::kFailed, std::move(message)); }

}  // namespace platform
