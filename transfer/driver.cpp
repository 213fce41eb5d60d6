#include "transfer/driver.h"

#include <cstring>

#include "common/message_sink.h"
#include "platform/sockets.h"
#include "platform/terminal.h"
#include "transfer/connection.h"
#include "transfer/result_files.h"
#include "transfer/run_settings.h"
#include "transfer/scale_transfer.h"
#include "transfer/transfer_files.h"

namespace transfer {
namespace {

constexpr int kFirstScaleArgument = 2;

// Serves the scales in turn and records the failed ones.
int ServeScales(int argc, char** argv, const RunSettings& settings, bool show_progress,
                common::MessageSink& messages) {
  ResultFiles results;
  if (!results.Create().ok()) {
    messages.Out("Could not create result files\n");
    return kExitFailed;
  }
  ConnectionTable connections(settings.mode, settings.reply_wait_ms, messages);
  const std::string file_argument = argv[1];
  bool any_failed = false;
  for (int i = kFirstScaleArgument; i < argc; ++i) {
    const ScaleOutcome outcome = TransferToScale(connections, settings, argv[i], file_argument, show_progress);
    if (outcome.status.ok()) continue;
    any_failed = true;
    results.Record(argv[i], outcome.status.code());
    messages.Err("xferlnk: " + outcome.scale + ": " + outcome.status.message() + "\n");
  }
  if (!results.Finish().ok()) {
    messages.Out("Could not write result files\n");
    return kExitFailed;
  }
  return any_failed ? kExitSomeFailed : kExitDone;
}

int Run(int argc, char** argv, common::MessageSink& messages) {
  const RunSettings settings = ReadRunSettings();
  if (argc <= kFirstScaleArgument || std::strlen(argv[1]) < kMinFileArgumentLength) {
    messages.Out(settings.mode == TransferMode::kDhcp ? "Please enter the filename and host name(s)"
                                                      : "Please enter filename and port number(s)");
    return kExitFailed;
  }
  if (!platform::StartSockets()) {
    platform::StopSockets();
    return kExitFailed;
  }
  int exit_code = ServeScales(argc, argv, settings, platform::StandardErrorIsTerminal(), messages);
  platform::StopSockets();
  return exit_code;
}

}  // namespace

int RunTransferProgram(int argc, char** argv) {
  common::ConsoleSink console;
  int exit_code = Run(argc, argv, console);
  console.Flush();
  return exit_code;
}

}  // namespace transfer
