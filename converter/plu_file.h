// The load mode's first step: the price list "VelkoCon.txt" becomes the
// scale's PLU file (per-scale prefix + "F25.dat") in the working directory.
#pragma once

#include "converter/run_context.h"

namespace converter {

// Reads the price list line by line and writes one PLU record per accepted
// line. Prints its own messages. Returns kExitOk, kExitNoPriceList (the price
// list cannot be opened: nothing written) or kExitScaleFile (the PLU file
// cannot be created or written). rejected_lines counts the malformed lines
// that were left out.
int WritePluFile(const RunContext& context, int* rejected_lines);

}  // namespace converter
