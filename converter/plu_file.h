// The load mode's first step: the price list "VelkoCon.txt" becomes the
// scale's PLU file (per-scale prefix + "F25.dat") in the working directory.
#pragma once

#include "common/status.h"
#include "converter/run_context.h"

namespace converter {

// Reads the price list line by line and writes one PLU record per accepted
// line. Each rejected line is named on the error stream as it is read, and
// their count once the whole list is read. Fails with kFailurePriceList (the
// price list cannot be opened or read; nothing written when it cannot be
// opened) or kFailureScaleFile (the PLU file cannot be created or written).
// counts tells how the list went.
struct PriceListCounts {
  long articles = 0;         // PLU records written
  long rejected = 0;         // malformed lines left out
  long too_few_columns = 0;  // of them, those with fewer than three columns
  long warnings = 0;         // lines loaded with a warning
};
common::Status WritePluFile(const RunContext& context, PriceListCounts* counts);

}  // namespace converter
