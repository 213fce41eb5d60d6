// What every run mode of the converter knows about its run.
#pragma once

#include <string>

#include "converter/settings.h"

namespace converter {

// Exit codes of the converter.
constexpr int kExitOk = 0;
constexpr int kExitCommandLine = 1;
constexpr int kExitNoPriceList = 2;
constexpr int kExitScaleFile = 3;       // a scale file cannot be created or written
constexpr int kExitReportFailed = 4;    // a report could not be fetched or converted whole
constexpr int kExitRejectedLines = 5;   // the load went on without some price-list lines
constexpr int kExitSettings = -1;

// The longest name of the PLU or store-name file.
constexpr std::size_t kMaxScaleFileName = 199;

enum class RunMode { kLoad, kReport, kTransact, kRTBuffer };

struct RunContext {
  std::string working_directory;  // the current directory at start
  std::string program_directory;  // the converter's own folder, with a trailing separator
  std::string scale_identifier;   // the first argument, unchanged
  std::string prefix;             // "qs" + scale identifier
  char separator = '\t';
  RunMode mode = RunMode::kLoad;
  Settings settings;
  NameTable names;
};

// The closing banner, printed on standard output at the normal end of a run.
void PrintBanner();

}  // namespace converter
