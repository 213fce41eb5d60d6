// POSIX implementation of platform/environment.h.
#include "platform/environment.h"

#include <stdlib.h>

#include <cstring>
#include <string_view>

#include "base/ascii_case.h"

extern char** environ;

namespace platform {

bool FindEnvironmentVariable(const char* name, std::string* value) {
  std::size_t length = std::strlen(name);
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    if (base::StartsIgnoringCase(*entry, std::string_view(name, length)) && (*entry)[length] == '=') {
      *value = *entry + length + 1;
      return true;
    }
  }
  return false;
}

bool SetEnvironmentVariable(const char* name, const std::string& value) {
  return setenv(name, value.c_str(), 1) == 0;
}

}  // namespace platform
