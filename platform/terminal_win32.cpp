// Win32 implementation of platform/terminal.h: only a console handle has a
// console mode.
#include "platform/terminal.h"

#include "platform/windows_headers_win32.h"

namespace platform {

bool StandardErrorIsTerminal() {
  HANDLE stream = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  return stream != nullptr && stream != INVALID_HANDLE_VALUE && GetConsoleMode(stream, &mode) != 0;
}

}  // namespace platform
