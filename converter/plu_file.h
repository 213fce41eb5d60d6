// The load mode's first step: the price list "VelkoCon.txt" becomes a PLU
// file (a scale's per-scale prefix + "F25.dat") in the working directory.
#pragma once

#include <cstdint>
#include <vector>

#include "base/status.h"
#include "converter/run_context.h"

namespace converter {

// What one pass over the price list found.
struct PriceListCounts {
  long long lines = 0;       // lines read, blank ones and a header among them
  long long articles = 0;    // lines that gave a PLU record
  long long rejected = 0;    // malformed lines left out
  long long warnings = 0;    // warnings about lines that were loaded all the same, shown or not
  bool header_skipped = false;  // the first line named the columns and was skipped
  // The keys that rejected lines name by a PLU column of 1 to 8 digits.
  std::vector<std::uint32_t> rejected_keys;
};

// Reads the price list line by line and writes one PLU record per accepted
// line. A list without a byte-order mark is read as Price List Encoding
// says; under auto a note tells when it is read as UTF-8. As each line is
// read, a rejected line is named on the error stream with its reason, a
// skipped header line with a note, and an accepted line with its warnings
// (characters the PC's code page lacks, a PLU number given before, an item
// code longer than its barcode keeps, prices of different numbers of
// decimals without Price Decimals): the first 10 of each kind, or all of them
// in the check mode. Once the whole list is read follow a count of the
// warnings of each kind not shown, the count of rejected lines, and a hint at
// the separator digit when most lines had too few columns. Fails with
// RunFailure::kPriceList (the price list cannot be opened or read; nothing
// written when it cannot be opened), RunFailure::kSettings (no ANSI code page
// to read the list in; nothing written) or RunFailure::kScaleFile (the PLU
// file cannot be created or written).
RunStatus WritePluFile(const RunContext& context, const std::string& plu_path, PriceListCounts* counts);

}  // namespace converter
