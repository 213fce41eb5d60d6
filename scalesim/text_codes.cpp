#include "scalesim/text_codes.h"

#include "platform/code_pages.h"
#include "platform/iconv_bytes.h"

namespace scalesim {
namespace {

constexpr int kByteCount = 256;
constexpr int kFirstHighByte = 0x80;
constexpr std::size_t kUtf32Length = 4;
constexpr char kUnknownCharacter[] = "?";
constexpr char kNotKnown[] = "This code page is not known to the system\n";

// C0 and C1 control characters and DEL; surrogates and what lies beyond
// Unicode are no characters either.
bool IsShowable(std::uint32_t c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return false;
  if (c >= 0xD800 && c < 0xE000) return false;
  return c <= 0x10FFFF;
}

std::string Utf8(std::uint32_t c) {
  std::string text;
  if (c < 0x80) {
    text.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    text.push_back(static_cast<char>(0xC0 | (c >> 6)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    text.push_back(static_cast<char>(0xE0 | (c >> 12)));
    text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xF0 | (c >> 18)));
    text.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return text;
}

void FillTable(const std::uint32_t characters[kByteCount], NameTable* table) {
  for (int b = 0; b < kByteCount; ++b) {
    std::uint32_t c = characters[b];
    (*table)[b] = c != platform::kNoCharacter && IsShowable(c) ? Utf8(c) : kUnknownCharacter;
  }
}

bool IsKnownPair(const platform::CodePagePair& pair) {
  platform::ByteConverter converter;
  return converter.Open(platform::CodePageEncoding(pair.ansi), platform::CodePageEncoding(pair.oem));
}

// The OEM code page of a pair whose numbers are known.
bool OemOfPair(const platform::CodePagePair& pair, NameTable* table, std::string* problem) {
  std::uint32_t characters[kByteCount];
  if (!IsKnownPair(pair) || !CodePageCharacters(pair.oem, characters)) {
    *problem = kNotKnown;
    return false;
  }
  FillTable(characters, table);
  return true;
}

// The OEM side of the locale's pair, from what the converter has of it: the
// ANSI characters and the ANSI-to-OEM translation.
bool OemOfConverter(NameTable* table, std::string* problem) {
  platform::AnsiCodePage ansi;
  unsigned char to_oem[kByteCount];
  auto status = platform::ReadAnsiCodePage(&ansi);
  if (status.ok()) status = platform::BuildAnsiToOemTable(to_oem);
  if (!status.ok()) {
    *problem = status.message() + "\n";
    return false;
  }
  std::uint32_t characters[kByteCount];
  for (int b = 0; b < kByteCount; ++b) {
    characters[b] = b < kFirstHighByte ? static_cast<std::uint32_t>(b) : platform::kNoCharacter;
  }
  for (int b = kFirstHighByte; b < kByteCount; ++b) {
    // An ANSI byte without an OEM counterpart became '?', below 0x80.
    if (to_oem[b] >= kFirstHighByte) characters[to_oem[b]] = ansi.characters[b];
  }
  FillTable(characters, table);
  return true;
}

}  // namespace

bool CodePageCharacters(int code_page, std::uint32_t characters[256]) {
  platform::ByteConverter converter;
  // UTF-32 in little-endian order: four bytes a character, no byte-order mark.
  if (!converter.Open(platform::CodePageEncoding(code_page), "UTF-32LE")) return false;
  for (int b = 0; b < kByteCount; ++b) {
    std::string converted;
    characters[b] = platform::kNoCharacter;
    if (converter.Convert(static_cast<unsigned char>(b), &converted) && converted.size() == kUtf32Length) {
      std::uint32_t c = 0;
      for (int i = static_cast<int>(kUtf32Length) - 1; i >= 0; --i) c = c << 8 | static_cast<unsigned char>(converted[i]);
      characters[b] = c;
    }
  }
  return true;
}

bool BuildNameTable(NameCodePage code_page, const platform::CodePagePair& pair, NameTable* table,
                    std::string* problem) {
  switch (code_page) {
    case NameCodePage::kWin: {
      platform::AnsiCodePage ansi;
      auto status = platform::ReadAnsiCodePage(&ansi);
      if (!status.ok()) {
        *problem = status.message() + "\n";
        return false;
      }
      FillTable(ansi.characters, table);
      return true;
    }
    case NameCodePage::kDos: {
      platform::CodePagePair named;
      if (platform::ReadCodePagesVariable(&named) == platform::CodePagesSetting::kSet) {
        return OemOfPair(named, table, problem);
      }
      return OemOfConverter(table, problem);  // a malformed variable fails there, as in the converter
    }
    case NameCodePage::kPair:
      return OemOfPair(pair, table, problem);
  }
  return false;
}

std::string ShowBytes(const NameTable& table, const std::string& bytes) {
  std::string text;
  for (unsigned char byte : bytes) text += table[byte];
  return text;
}

}  // namespace scalesim
