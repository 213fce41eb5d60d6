// The converter's command line: scale identifier, separator digit, option.
#pragma once

#include "common/status.h"
#include "converter/run_context.h"

namespace converter {

// Reads the arguments after the program name into the context: scale
// identifier, field separator and run mode. A kFailureCommandLine status for
// no argument, more than three, or a scale identifier that cannot name a
// file (empty, holding '/' or '\', or too long).
common::Status ParseCommandLine(int argument_count, char** arguments, RunContext* context);

// The field separator chosen by the first character of the separator digit.
char SeparatorForDigit(char digit);

}  // namespace converter
