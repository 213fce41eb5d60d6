// Turning name bytes as a scale holds them into UTF-8 for the terminal.
#pragma once

#include <string>

#include "platform/code_page_pair.h"

namespace scalesim {

// Converts bytes of the given code page (437, 866, 1252, ...) to UTF-8.
// Bytes that the code page does not map, and control bytes, become '?'.
// False if the code page is not known to the system.
bool CodePageToUtf8(int code_page, const std::string& bytes, std::string* text);

// True if the system translates the pair's ANSI code page into its OEM code
// page, as the converter needs for its "Dos" names.
bool IsKnownPair(const platform::CodePagePair& pair);

// Latin-1 bytes to UTF-8, control bytes as '?'.
std::string Latin1ToUtf8(const std::string& bytes);

}  // namespace scalesim
