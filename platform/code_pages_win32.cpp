// Win32 implementation of platform/code_pages.h: the system's CharToOemA,
// one byte at a time, from the system's ANSI code page to its OEM code page.
#include "platform/code_pages.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform {

bool BuildAnsiToOemTable(unsigned char table[256], std::string* /*problem*/) {
  table[0] = 0;
  for (int b = 1; b < 256; ++b) {
    char in[2] = {static_cast<char>(b), '\0'};
    char out[2] = {'\0', '\0'};
    CharToOemA(in, out);
    table[b] = static_cast<unsigned char>(out[0]);
  }
  return true;
}

}  // namespace platform
