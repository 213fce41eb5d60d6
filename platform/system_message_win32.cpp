// The system's words for an error number: see platform/system_message_win32.h.
#include "platform/system_message_win32.h"

#include "platform/windows_headers_win32.h"

namespace platform {
namespace {

constexpr DWORD kLongestMessage = 512;

}  // namespace

std::string SystemMessage(unsigned long error) {
  char text[kLongestMessage];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                kLongestMessage, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) --length;
  if (length == 0) return "system error " + std::to_string(error);
  return std::string(text, length);
}

}  // namespace platform
