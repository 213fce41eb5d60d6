// Win32 implementation of platform/code_pages.h: the system's CharToOemA,
// one byte at a time, from the system's ANSI code page to its OEM code page;
// MultiByteToWideChar for the characters of the ANSI code page.
#include "platform/code_pages.h"

#include "platform/windows_headers_win32.h"

namespace platform {

SystemStatus BuildAnsiToOemTable(unsigned char table[256]) {
  table[0] = 0;
  for (int b = 1; b < 256; ++b) {
    char in[2] = {static_cast<char>(b), '\0'};
    char out[2] = {'\0', '\0'};
    CharToOemA(in, out);
    table[b] = static_cast<unsigned char>(out[0]);
  }
  return SystemStatus::Ok();
}

SystemStatus ReadAnsiCodePage(AnsiCodePage* code_page) {
  code_page->number = static_cast<int>(GetACP());
  for (int b = 0; b < 256; ++b) {
    code_page->characters[b] = kNoCharacter;
    char in = static_cast<char>(b);
    // A byte that is no character alone (a lead byte, an unassigned byte)
    // fails with MB_ERR_INVALID_CHARS; two UTF-16 units are no single byte's.
    wchar_t out[2] = {0, 0};
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &in, 1, out, 2) == 1) {
      code_page->characters[b] = static_cast<std::uint32_t>(out[0]);
    }
  }
  return SystemStatus::Ok();
}

}  // namespace platform
