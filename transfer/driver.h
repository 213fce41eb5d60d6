// The transfer program's run: command line, scale list, result files; the
// exit code and the one message sink are chosen here.
#pragma once

namespace transfer {

// Exit codes of the program.
constexpr int kExitDone = 0;
constexpr int kExitSomeFailed = 1;  // the list was worked through; at least one scale failed
constexpr int kExitFailed = -1;

// xferlnk <file argument> <scale argument>...: transfers the file with each
// scale in turn and leaves the result files, and one line on the error
// stream for each scale that failed. kExitDone once the scale list is worked
// through and every scale succeeded, kExitSomeFailed when at least one
// failed; kExitFailed on a command-line error or
// when the result files or the socket library cannot be set up, or the
// result files cannot be written.
int RunTransferProgram(int argc, char** argv);

}  // namespace transfer
