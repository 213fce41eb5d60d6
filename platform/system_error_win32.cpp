// Win32 implementation of platform/system_error.h.
#include "platform/system_error.h"

#include <string>

#include "platform/windows_headers_win32.h"

namespace platform {
namespace {

constexpr DWORD kLongestMessage = 512;

}  // namespace

common::Status SystemError(int error) {
  char text[kLongestMessage];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(error), 0, text, kLongestMessage, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) --length;
  if (length == 0) return common::Status::Error(error, "system error " + std::to_string(static_cast<DWORD>(error)));
  return common::Status::Error(error, std::string(text, length));
}

}  // namespace platform
