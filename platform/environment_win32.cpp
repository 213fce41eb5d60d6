// Win32 implementation of platform/environment.h: the system's own lookup,
// which ignores the letter case of the name.
#include "platform/environment.h"

#include "platform/windows_headers_win32.h"

#include <vector>

// windows.h names its A/W pairs by macros; the function of environment.h
// keeps its own name.
#undef SetEnvironmentVariable

namespace platform {

bool FindEnvironmentVariable(const char* name, std::string* value) {
  SetLastError(NO_ERROR);
  DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
  if (needed == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
    value->clear();  // defined, empty
    return true;
  }
  std::vector<char> buffer(needed + 1);
  DWORD length = GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length >= buffer.size()) return false;  // changed in between
  value->assign(buffer.data(), length);
  return true;
}

bool SetEnvironmentVariable(const char* name, const std::string& value) {
  return SetEnvironmentVariableA(name, value.c_str()) != 0;
}

}  // namespace platform
