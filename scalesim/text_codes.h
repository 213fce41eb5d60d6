// Turning name bytes as a scale holds them into UTF-8 for the terminal.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/code_page_pair.h"

namespace scalesim {

// The code page "show" reads name bytes in.
enum class NameCodePage {
  kWin,   // the PC's ANSI code page: what the converter loads with CodePage Win
  kDos,   // the PC's OEM code page: what the converter loads with CodePage Dos
  kPair,  // the OEM code page of a pair given as ANSI:OEM
};

// For each byte, the UTF-8 text of the character it stands for; "?" for a
// control character or a byte the code page does not map.
using NameTable = std::array<std::string, 256>;

// Fills table for the code page. The PC's pair is the one the converter
// takes (platform/code_pages.h): VELKOCON_CODEPAGES, else the locale's.
//   kWin   the ANSI code page of the PC's pair
//   kDos   the OEM code page of VELKOCON_CODEPAGES's pair; without the
//          variable, each OEM byte is the character of the ANSI byte the
//          converter's Dos translation turns into it (the platform layer
//          gives the locale's ANSI code page and that translation, not the
//          OEM code page's number), and OEM bytes no ANSI byte turns into
//          are '?'
//   kPair  the OEM code page of `pair`
// For kDos with the variable and kPair the system must know the translation
// from the pair's ANSI to its OEM code page, as the converter needs it.
// False and a one-line message (ending in a line feed) if the code page
// cannot be had.
bool BuildNameTable(NameCodePage code_page, const platform::CodePagePair& pair, NameTable* table,
                    std::string* problem);

// The bytes as UTF-8 through the table.
std::string ShowBytes(const NameTable& table, const std::string& bytes);

// The Unicode character of each byte of a numbered code page through the
// system's iconv; platform::kNoCharacter where it has none. False if the
// system does not know the code page.
bool CodePageCharacters(int code_page, std::uint32_t characters[256]);

}  // namespace scalesim
