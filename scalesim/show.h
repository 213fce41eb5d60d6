// "scalesim show": what the scales of a store hold, for people.
#pragma once

#include <string>
#include <vector>

namespace scalesim {

// How names are shown: as Latin-1 ("Win": the bytes as loaded with
// CodePage Win), or from an OEM code page ("Dos": the pair in
// VELKOCON_CODEPAGES, else 1252:437; "ANSI:OEM" such as 1251:866).
struct ShowOptions {
  std::string store;
  int scale = -1;  // -1: every scale of the store
  bool latin1 = true;
  int oem_code_page = 0;
};

bool ParseShowArguments(const std::vector<std::string>& arguments, ShowOptions* options, std::string* problem);

// Prints the scales' tables on standard output. Returns an exit code.
int Show(const ShowOptions& options);

}  // namespace scalesim
