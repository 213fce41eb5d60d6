// The converter's command line:
//
//   VelkoCon SCALE [DIGIT] [-Report | -Transact | -RTBuffer | -Check | -Verify] [-NoFetch]
//
// SCALE the scale identifier; DIGIT the separator digit; the option words in
// any letter case. -NoFetch (after a retrieval option) converts the incoming
// files already in the working folder without fetching them.
#pragma once

#include <string>
#include <vector>

#include "converter/run_context.h"

namespace converter {

// The usage line printed after "Command line error.\n", as it always was
// (it does not name -Verify; the help text does).
extern const char kUsage[];

// Reads the arguments after the program name into the context: the scales
// (one identifier, several joined by commas such as "001,003", or "all" in
// any letter case for those of the setting Scales, which the context's
// settings hold), field separator, run mode and whether to fetch. "all" with
// no scale in Scales is a settings failure. A
// RunFailure::kCommandLine status whose message is "Command line error.\n", a
// line saying why where that helps, and the usage line: for no argument or
// too many; a scale identifier that cannot name a file (empty, beginning
// with '-', holding '/', '\' or a blank, or too long) or, in scale-number mode, that
// is not three characters long; a word beginning with '-' that is no option
// word; an option word where the separator digit belongs; anything after the
// option but -NoFetch after a retrieval option.
RunStatus ParseCommandLine(int argument_count, char** arguments, RunContext* context);

// The field separators the separator digit chooses, the last one (TAB) for
// any other first character, or none.
struct SeparatorChoice {
  char digit;
  char separator;
  const char* name;        // "comma"
  const char* digit_text;  // how a message names the digit: "1", "5 (or none)"
};
inline constexpr SeparatorChoice kSeparatorChoices[] = {
    {'1', ',', "comma", "1"}, {'2', ';', "semicolon", "2"}, {'3', '#', "#", "3"},
    {'4', '.', "full stop", "4"}, {'5', '\t', "TAB", "5 (or none)"},
};

// The field separator chosen by the first character of the separator digit.
char SeparatorForDigit(char digit);

}  // namespace converter
