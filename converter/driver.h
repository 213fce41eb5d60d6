// The converter from start to exit: settings, command line, one run mode.
#pragma once

namespace converter {

// Runs the converter; the result is the process's exit code.
int RunConverter(int argc, char** argv);

}  // namespace converter
