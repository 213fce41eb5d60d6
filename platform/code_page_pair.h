// The pair of code pages of the shop PC's "Dos" name translation: its ANSI
// (Windows) code page and its OEM (DOS) code page, as the text "ANSI:OEM"
// (such as "1251:866") and as the environment variable VELKOCON_CODEPAGES
// that names it on systems without such a pair of their own.
#pragma once

#include <string>

namespace platform {

constexpr char kCodePagesVariable[] = "VELKOCON_CODEPAGES";

struct CodePagePair {
  int ansi = 0;
  int oem = 0;
};

// Reads "ANSI:OEM": two positive decimal numbers joined by a colon, each
// number may follow blanks and a plus sign; nothing may follow the second.
// False if the text is not of that form.
bool ParseCodePagePair(const std::string& text, CodePagePair* pair);

enum class CodePagesSetting {
  kNotSet,     // the variable is missing or empty
  kSet,        // the variable holds a pair
  kMalformed,  // the variable is not of the form ANSI:OEM
};

// Reads VELKOCON_CODEPAGES (the name as written) into pair.
CodePagesSetting ReadCodePagesVariable(CodePagePair* pair);

}  // namespace platform
