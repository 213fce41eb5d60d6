#include "transfer/driver.h"

#include <cstring>

#include "common/message_sink.h"
#include "common/program_info.h"
#include "common/run_log.h"
#include "platform/environment.h"
#include "platform/sockets.h"
#include "platform/terminal.h"
#include "transfer/connection.h"
#include "common/transfer_contract.h"
#include "transfer/run_settings.h"
#include "transfer/scale_transfer.h"
#include "transfer/transfer_files.h"

namespace transfer {
namespace {

constexpr int kFirstScaleArgument = 2;

const char kHelp[] =
    "Sends a scale file to scales, or fetches one from them, over TCP.\n"
    "\n"
    "Usage: xferlnk FILE SCALE [SCALE ...]\n"
    "  FILE   F and two hex digits (and .DAT): F25.DAT the PLU file, F30.DAT the transactions...\n"
    "  SCALE  a scale number such as 001: the host S0001 on port 2001;\n"
    "         with XFLTCPMODE=DHCP a host name or address (port 2000 + its last number)\n"
    "XFLTIMEOUT: seconds to wait for a reply (1 to 3600, default 15);\n"
    "XFLMAXRECORDS: the most records one read takes (default 1000000).\n"
    "The files are read from and written to the working folder; the failed scales are listed in\n"
    "the files error and retvals.\n"
    "Exit codes: 0 every scale done, 1 a scale failed, 255 command line or result files.\n";

// The log the converter that started this run keeps; none when run alone.
common::RunLog LogNamedByTheConverter(platform::Env& env) {
  std::string path;
  if (!platform::FindEnvironmentVariable(common::kLogVariable, &path)) return common::RunLog();
  return common::RunLog(env, path);
}

std::string LogLine(const std::string& scale_argument, const std::string& file_argument, const ScaleOutcome& outcome,
                    double seconds) {
  std::string line = "xferlnk scale=" + scale_argument + " at=" + outcome.place + " file=" + file_argument +
                     " records=" + std::to_string(outcome.records) + " seconds=" + common::SecondsText(seconds);
  if (outcome.status.ok()) return line + " result=ok";
  return line + " result=" + std::to_string(common::ResultNumber(outcome.status.code())) + " " +
         outcome.status.message();
}

// Serves the scales in turn and records the failed ones.
int ServeScales(int argc, char** argv, const RunSettings& settings, platform::Env& env, bool show_progress,
                common::MessageSink& messages) {
  common::ResultFilesWriter results(env);
  if (!results.Create().ok()) {
    messages.Out("Could not create result files\n");
    return kExitFailed;
  }
  ConnectionTable connections(settings.mode, settings.reply_wait_ms);
  const ScaleTransferSetup setup{env, connections, settings, messages, show_progress};
  const std::string file_argument = argv[1];
  const common::RunLog log = LogNamedByTheConverter(env);
  bool any_failed = false;
  for (int i = kFirstScaleArgument; i < argc; ++i) {
    const double started = env.SteadySeconds();
    const ScaleOutcome outcome = TransferToScale(setup, argv[i], file_argument);
    const double seconds = env.SteadySeconds() - started;
    (void)log.Write(LogLine(argv[i], file_argument, outcome, seconds));
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

}  // namespace

int RunTransferProgram(int argc, char** argv, platform::Env& env, common::MessageSink& messages) {
  if (common::AnswerInfoRequest(argc, argv, "xferlnk", kHelp, messages)) return kExitDone;
  const RunSettings settings = ReadRunSettings();
  if (argc <= kFirstScaleArgument || std::strlen(argv[1]) < kMinFileArgumentLength) {
    messages.Out(settings.mode == common::TransferMode::kDhcp ? "Please enter the filename and host name(s)"
                                                              : "Please enter filename and port number(s)");
    return kExitFailed;
  }
  if (!platform::StartSockets()) {
    platform::StopSockets();
    return kExitFailed;
  }
  int exit_code = ServeScales(argc, argv, settings, env, platform::StandardErrorIsTerminal(), messages);
  platform::StopSockets();
  return exit_code;
}

}  // namespace transfer
