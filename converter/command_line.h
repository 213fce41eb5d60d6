// The converter's command line: scale identifier, separator digit, option.
#pragma once

#include "converter/run_context.h"

namespace converter {

// Reads the arguments after the program name into the context: scale
// identifier, per-scale prefix, field separator and run mode. False for a
// command-line error (no argument, more than three, or a scale identifier
// that cannot name a file: empty, holding '/' or '\', or too long).
bool ParseCommandLine(int argument_count, char** arguments, RunContext* context);

// The field separator chosen by the first character of the separator digit.
char SeparatorForDigit(char digit);

}  // namespace converter
