// Placeholder until the report conversion lands.
#include "converter/report_modes.h"

#include <cstdio>

namespace converter {

int RunRetrievalMode(const RunContext&) {
  std::fputs("File length error\n", stdout);
  std::fputs("Fatal error\n", stdout);
  return kExitReportFailed;
}

}  // namespace converter
