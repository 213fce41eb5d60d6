// The shop PC's code-page translation from its ANSI (Windows) code page to
// its OEM (DOS) code page, as a table of 256 bytes.
#pragma once

#include <string>

namespace platform {

// Fills table so that entry b is the OEM byte for the ANSI byte b. False if
// the translation cannot be had; problem then holds a one-line message
// (ending in a line feed) for the user.
bool BuildAnsiToOemTable(unsigned char table[256], std::string* problem);

}  // namespace platform
