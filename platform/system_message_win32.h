// Win32 only, inside the platform layer: the system's own words for an error
// number of GetLastError, for the messages of common::Status.
#pragma once

#include <string>

namespace platform {

// The system's message for the error, without its line end; "system error N"
// if the system has none.
std::string SystemMessage(unsigned long error);

}  // namespace platform
