// The shop PC's code pages: the translation from its ANSI (Windows) code
// page to its OEM (DOS) code page, as a table of 256 bytes, and the
// characters of its ANSI code page, for text that arrives in Unicode.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_error.h"

namespace platform {

// Fills table so that entry b is the OEM byte for the ANSI byte b. A failure
// if the translation cannot be had; its message is one line for the user.
SystemStatus BuildAnsiToOemTable(unsigned char table[256]);

// A byte of the ANSI code page that stands for no character.
constexpr std::uint32_t kNoCharacter = 0xFFFFFFFF;

// The ANSI code page of the PC: its number and, for each byte, the Unicode
// character it stands for (kNoCharacter if none). Bytes 0 to 127 stand for
// themselves.
struct AnsiCodePage {
  int number = 0;
  std::uint32_t characters[256] = {};
};

// Reads the ANSI code page. A failure if it cannot be had; its message is one
// line for the user.
SystemStatus ReadAnsiCodePage(AnsiCodePage* code_page);

}  // namespace platform
