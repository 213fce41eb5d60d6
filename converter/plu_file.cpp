// Placeholder until the price-list reader lands.
#include "converter/plu_file.h"

#include <cstdio>

namespace converter {

int WritePluFile(const RunContext&, int* rejected_lines) {
  *rejected_lines = 0;
  std::fputs("Could not open file.\n", stderr);
  return kExitNoPriceList;
}

}  // namespace converter
