// The names of the report files: the settings MGTotal, PLUTotal, ClerkTotal,
// StoreTotal, Transact and RTBuffer, where "{scale}" stands for the scale
// identifier ("transact-{scale}.csv" is "transact-001.csv" for scale 001), so
// that the scales of one shop do not replace each other's reports.
#pragma once

#include <string>

#include "base/status.h"
#include "converter/run_context.h"

namespace converter {

// The report file name a setting's value gives for the scale.
std::string ReportFileName(const std::string& value, const std::string& scale_identifier);

// The report names, the log and the archive stay in the shop's folder: a
// name that is absolute, climbs out of the working folder with "..", names
// a device, or names one of the programs' own files (the settings, the price
// list, the PageDetail table, the programs, the prepared and scale files,
// the result files, the log, the lock file, the archive) is a settings
// failure whose message names the key. A name in a subfolder is fine. With
// several scales each report name must hold {scale}.
RunStatus CheckReportNames(const RunContext& context);

}  // namespace converter
