// The store-name file (per-scale prefix + "F52.dat"): one record with the
// shop's name, the label format and the font of the name.
#pragma once

#include <string>

#include "base/status.h"
#include "converter/run_context.h"

namespace converter {

// The record's hex text for the settings: key 1, length 12 + n, label
// format, font, the translated name and the end bytes 0C 00.
std::string BuildStoreNameRecord(const Settings& settings, const NameTable& names);

// Writes the scale's store-name file in the working directory; fails with
// RunFailure::kScaleFile.
RunStatus WriteStoreNameFile(const RunContext& context, const std::string& scale);

}  // namespace converter
