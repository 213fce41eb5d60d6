// POSIX implementation of platform/code_pages.h through glibc's iconv.
//
// The pair of code pages comes from VELKOCON_CODEPAGES ("1251:866"), else
// from the locale's language, paired the way the shop PC's system pairs its
// ANSI and OEM code pages.
#include "platform/code_pages.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/code_page_pair.h"
#include "platform/iconv_bytes.h"

namespace platform {
namespace {

struct LanguagePair {
  const char* language;
  int ansi;
  int oem;
};

const LanguagePair kLanguagePairs[] = {
    {"ru", 1251, 866}, {"uk", 1251, 866}, {"be", 1251, 866}, {"bg", 1251, 866},
    {"sr", 1251, 866}, {"mk", 1251, 866}, {"pl", 1250, 852}, {"cs", 1250, 852},
    {"sk", 1250, 852}, {"hu", 1250, 852}, {"sl", 1250, 852}, {"hr", 1250, 852},
    {"ro", 1250, 852}, {"el", 1253, 737}, {"tr", 1254, 857}, {"he", 1255, 862},
    {"ar", 1256, 720}, {"lt", 1257, 775}, {"lv", 1257, 775}, {"et", 1257, 775},
};
const int kUsAnsi = 1252, kUsOem = 437;        // en_US, C and POSIX
const int kWesternAnsi = 1252, kWesternOem = 850;  // every other language

const char* LocaleName() {
  const char* names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return "C";
}

void PairFromLocale(int* ansi, int* oem) {
  const char* locale = LocaleName();
  std::size_t length = std::strcspn(locale, "_.@");
  std::string language(locale, length);
  if (language == "C" || language == "POSIX" || std::strncmp(locale, "en_US", 5) == 0) {
    *ansi = kUsAnsi;
    *oem = kUsOem;
    return;
  }
  for (const LanguagePair& pair : kLanguagePairs) {
    if (language == pair.language) {
      *ansi = pair.ansi;
      *oem = pair.oem;
      return;
    }
  }
  *ansi = kWesternAnsi;
  *oem = kWesternOem;
}

SystemStatus Unknown(const std::string& message) { return Failure(message); }

// The pair of code pages: VELKOCON_CODEPAGES, else the locale's.
SystemStatus ReadPair(CodePagePair* pair) {
  switch (ReadCodePagesVariable(pair)) {
    case CodePagesSetting::kMalformed:
      return Unknown("VELKOCON_CODEPAGES is not of the form ANSI:OEM, such as 1251:866");
    case CodePagesSetting::kNotSet:
      PairFromLocale(&pair->ansi, &pair->oem);
      break;
    case CodePagesSetting::kSet:
      break;
  }
  return SystemStatus::Ok();
}

// Bytes below this are ASCII in every code page of the pairs; the others are
// looked up one at a time.
constexpr int kFirstHighByte = 128;
constexpr int kTableSize = 256;

}  // namespace

SystemStatus BuildAnsiToOemTable(unsigned char table[256]) {
  CodePagePair pair;
  if (SystemStatus status = ReadPair(&pair); !status.ok()) return status;
  ByteConverter converter;
  if (!converter.Open(CodePageEncoding(pair.ansi), CodePageEncoding(pair.oem))) {
    char message[128];
    std::snprintf(message, sizeof message, "Code pages %d:%d are not known to this system", pair.ansi,
                  pair.oem);
    return Unknown(message);
  }
  for (int b = 0; b < kTableSize; ++b) {
    table[b] = static_cast<unsigned char>(b < kFirstHighByte ? b : '?');
    if (b < kFirstHighByte) continue;
    std::string converted;
    if (converter.Convert(static_cast<unsigned char>(b), &converted) && converted.size() == 1) {
      table[b] = static_cast<unsigned char>(converted[0]);
    }
  }
  return SystemStatus::Ok();
}

SystemStatus ReadAnsiCodePage(AnsiCodePage* code_page) {
  CodePagePair pair;
  if (SystemStatus status = ReadPair(&pair); !status.ok()) return status;
  // UTF-32 in little-endian order: four bytes a character, no byte-order mark.
  ByteConverter converter;
  if (!converter.Open(CodePageEncoding(pair.ansi), "UTF-32LE")) {
    char message[128];
    std::snprintf(message, sizeof message, "Code page %d is not known to this system", pair.ansi);
    return Unknown(message);
  }
  code_page->number = pair.ansi;
  for (int b = 0; b < kTableSize; ++b) {
    code_page->characters[b] = b < kFirstHighByte ? static_cast<std::uint32_t>(b) : kNoCharacter;
    if (b < kFirstHighByte) continue;
    std::string converted;
    if (converter.Convert(static_cast<unsigned char>(b), &converted) && converted.size() == 4) {
      std::uint32_t character = 0;
      for (int i = 3; i >= 0; --i) character = character << 8 | static_cast<unsigned char>(converted[i]);
      code_page->characters[b] = character;
    }
  }
  return SystemStatus::Ok();
}

}  // namespace platform
