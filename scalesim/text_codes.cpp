#include "scalesim/text_codes.h"

#include "platform/iconv_bytes.h"

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
  platform::ByteConverter converter;
  if (!converter.Open(platform::CodePageEncoding(code_page), "UTF-8")) return false;
  text->clear();
  std::string converted;
  for (unsigned char byte : bytes) {
    if (!IsControl(byte) && converter.Convert(byte, &converted)) {
      text->append(converted);
    } else {
      text->push_back('?');
    }
  }
  return true;
}

bool IsKnownPair(const platform::CodePagePair& pair) {
  platform::ByteConverter converter;
  return converter.Open(platform::CodePageEncoding(pair.ansi), platform::CodePageEncoding(pair.oem));
}

}  // namespace scalesim
