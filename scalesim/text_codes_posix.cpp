// POSIX implementation of scalesim/text_codes.h through iconv.
#include "scalesim/text_codes.h"

#include <iconv.h>

#include <cstdio>

namespace scalesim {
namespace {

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

}  // namespace

std::string Latin1ToUtf8(const std::string& bytes) {
  std::string text;
  for (unsigned char byte : bytes) {
    if (IsControl(byte) || (byte >= 0x80 && byte < 0xA0)) {
      text.push_back('?');
    } else if (byte < 0x80) {
      text.push_back(static_cast<char>(byte));
    } else {
      text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return text;
}

bool CodePageToUtf8(int code_page, const std::string& bytes, std::string* text) {
  char name[16];
  std::snprintf(name, sizeof name, "CP%d", code_page);
  iconv_t cd = iconv_open("UTF-8", name);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  text->clear();
  for (unsigned char byte : bytes) {
    if (IsControl(byte)) {
      text->push_back('?');
      continue;
    }
    char in_byte = static_cast<char>(byte);
    char out_bytes[8];
    char* in_ptr = &in_byte;
    char* out_ptr = out_bytes;
    std::size_t in_left = 1, out_left = sizeof out_bytes;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1) && in_left == 0) {
      text->append(out_bytes, sizeof out_bytes - out_left);
    } else {
      text->push_back('?');
    }
  }
  iconv_close(cd);
  return true;
}

}  // namespace scalesim
