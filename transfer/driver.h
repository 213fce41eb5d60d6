// The transfer program's run: command line, scale list, result files; the
// exit code and the one message sink are chosen here.
#pragma once

#include "common/message_sink.h"
#include "common/transfer_contract.h"
#include "platform/env.h"

namespace transfer {

// Exit codes of the program.
constexpr int kExitDone = common::kTransferExitDone;
constexpr int kExitSomeFailed = common::kTransferExitSomeFailed;
constexpr int kExitFailed = common::kTransferExitFailed;

// xferlnk <file argument> <scale argument>...: transfers the file with each
// scale in turn and leaves the result files, and one line on the error
// stream for each scale that failed. kExitDone once the scale list is worked
// through and every scale succeeded, kExitSomeFailed when at least one
// failed; kExitFailed on a command-line error or
// when the result files or the socket library cannot be set up, or the
// result files cannot be written.
// Files, the clock and the run log are reached through env, messages go
// to messages.
int RunTransferProgram(int argc, char** argv, platform::Env& env, common::MessageSink& messages);

}  // namespace transfer
