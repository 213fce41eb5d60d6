// The converter from start to exit: settings, command line, one run mode,
// the closing banner; the exit code and the stream of every message that
// ends a run are chosen here.
#pragma once

#include "common/message_sink.h"
#include "platform/env.h"

namespace converter {

// Exit codes of the converter.
constexpr int kExitOk = 0;
constexpr int kExitCommandLine = 1;
constexpr int kExitNoPriceList = 2;
constexpr int kExitScaleFile = 3;       // a scale file cannot be created or written
constexpr int kExitReportFailed = 4;    // a report could not be fetched or converted whole
constexpr int kExitRejectedLines = 5;   // the load went on without some price-list lines, or sent nothing
constexpr int kExitTransferFailed = 6;  // a transfer of the load failed
constexpr int kExitNotAsSent = 7;       // a scale read back holds something other than what was sent
constexpr int kExitSettings = -1;

// The closing banner, printed on standard output at the normal end of a run.
extern const char kBanner[];

// Runs the converter with its files, clock and transfer program reached
// through env and its messages written to messages; the result is the
// process's exit code.
int RunConverter(int argc, char** argv, platform::Env& env, common::MessageSink& messages);

}  // namespace converter
