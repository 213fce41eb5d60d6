// Environment variables, looked up the way the shop PC's system does:
// the variable's name ignores letter case.
#pragma once

#include <string>

namespace platform {

// True and the value if a variable of that name (ignoring case) is defined.
bool FindEnvironmentVariable(const char* name, std::string* value);

// Sets the variable for this process and the programs it starts from now on.
// False if it cannot be set.
bool SetEnvironmentVariable(const char* name, const std::string& value);

}  // namespace platform
