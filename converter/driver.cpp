#include "converter/driver.h"

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/program_info.h"
#include "common/run_log.h"
#include "converter/command_line.h"
#include "converter/load_mode.h"
#include "converter/report_modes.h"
#include "converter/report_names.h"
#include "converter/run_context.h"
#include "converter/run_lock.h"
#include "converter/settings.h"
#include "platform/environment.h"
#include "common/transfer_contract.h"
#include "platform/env.h"
#include "platform/files.h"

namespace converter {

const char kBanner[] = "Conversion finished.\nPrice-list converter for networked scales.\n";

namespace {

// The help text, around the line that names the separator digits.
const char kHelpStart[] =
    "Loads the price list into a networked scale, or fetches its totals into report files.\n"
    "\n"
    "Usage: VelkoCon SCALE [DIGIT] [-Report | -Transact | -RTBuffer | -Check | -Verify] [-NoFetch]\n"
    "  SCALE      the scale: three characters such as 001 (with XFLTCPMODE=DHCP its host name or address);\n"
    "             several separated by commas (001,003), or all: every scale the setting Scales lists\n";
const char kHelpEnd[] =
    "  (none)     load VelkoCon.txt into the scale\n"
    "  -Check     check VelkoCon.txt and write the PLU file, send nothing\n"
    "  -Verify    check VelkoCon.txt, read each scale's PLU file back and compare, send nothing\n"
    "  -Report    fetch the totals that MGTotal, PLUTotal, ClerkTotal and StoreTotal name\n"
    "  -Transact  fetch the transactions into the file Transact names\n"
    "  -RTBuffer  fetch the real-time buffer into the file RTBuffer names\n"
    "  -NoFetch   after a fetch option: convert the files already fetched, fetch nothing\n"
    "Everything is read from and written to the working folder: velkocon.ini, VelkoCon.txt,\n"
    "the scale files, the reports, velkocon.log and the archive folder.\n"
    "Exit codes: 0 done, 1 command line, 2 price list unreadable, 3 a file cannot be written,\n"
    "4 a report not fetched whole, 5 price-list lines rejected, 6 a transfer failed,\n"
    "7 a scale read back does not hold what was sent, 255 settings.\n";

// Where the message of a failure that ends the run goes, and the exit code.
struct FailureExit {
  RunFailure failure;
  common::Stream stream;
  int exit_code;
};

const FailureExit kFailureExits[] = {
    {RunFailure::kSettings, common::Stream::kOut, kExitSettings},
    {RunFailure::kCommandLine, common::Stream::kErr, kExitCommandLine},
    {RunFailure::kPriceList, common::Stream::kErr, kExitNoPriceList},
    {RunFailure::kScaleFile, common::Stream::kErr, kExitScaleFile},
    {RunFailure::kReport, common::Stream::kOut, kExitReportFailed},
    {RunFailure::kArchive, common::Stream::kErr, kExitReportFailed},
};

int EndWithFailure(common::MessageSink& messages, const RunStatus& status) {
  for (const FailureExit& row : kFailureExits) {
    if (row.failure != status.code()) continue;
    messages.Write(row.stream, status.message() + "\n");
    ShowCause(messages, status.cause());
    return row.exit_code;
  }
  messages.Err(status.message() + "\n");
  ShowCause(messages, status.cause());
  return kExitSettings;
}

std::string HelpText() {
  std::string digits;
  for (const SeparatorChoice& choice : kSeparatorChoices) {
    if (choice.separator == '\t') break;
    digits += std::string(1, choice.digit) + " " + choice.name + ", ";
  }
  return std::string(kHelpStart) + "  DIGIT      the field separator: " + digits + "anything else TAB\n" + kHelpEnd;
}

// A run that reached its end: a scale not as sent before a failed transfer,
// a failed transfer before rejected lines.
int ExitCodeOf(const RunOutcome& outcome) {
  if (outcome.report_incomplete) return kExitReportFailed;
  if (outcome.not_as_sent) return kExitNotAsSent;
  if (outcome.transfer_failed) return kExitTransferFailed;
  if (outcome.lines_rejected) return kExitRejectedLines;
  return kExitOk;
}

const char* ModeName(RunMode mode) {
  switch (mode) {
    case RunMode::kLoad: return "load";
    case RunMode::kCheck: return "check";
    case RunMode::kReport: return "report";
    case RunMode::kTransact: return "transact";
    case RunMode::kRTBuffer: return "rtbuffer";
    case RunMode::kVerify: return "verify";
  }
  return "";
}

// One line per scale of a run of several, or of a run that read the scales
// back, on the error stream and in the log: "scale 001: 10000 PLUs in 12.3
// s", "scale 002: failed: F25.DAT: no connection to the scale (result -5)";
// for a scale read back what that showed, "scale 001: 10000 of 10000 PLUs as
// sent", after its failure if it had one.
void ShowScaleSummary(const RunContext& context, const RunOutcome& outcome, double seconds,
                      common::MessageSink& messages) {
  const bool load = context.mode == RunMode::kLoad;
  for (std::size_t i = 0; i < context.scales.size(); ++i) {
    const std::string failure = i < outcome.scale_failures.size() ? outcome.scale_failures[i] : std::string();
    const std::string verified =
        i < outcome.scale_verifications.size() ? outcome.scale_verifications[i] : std::string();
    std::string line = "scale " + context.scales[i] + ": ";
    if (!failure.empty()) {
      line += "failed: " + failure + (verified.empty() ? "" : "; " + verified);
    } else if (!verified.empty()) {
      line += verified;
    } else if (load) {
      line += std::to_string(outcome.articles) + " PLUs in " + common::SecondsText(seconds) + " s";
    } else {
      line += "reports written in " + common::SecondsText(seconds) + " s";
    }
    messages.Err(line + "\n");
    if (context.log != nullptr) (void)context.log->Write("VelkoCon " + line);
  }
}

// The run log of the working folder, handed on to the transfer program.
common::RunLog OpenLog(const RunContext& context) {
  const std::string& name = context.settings.log_file;
  if (name.empty()) return common::RunLog();
  // Below the working folder, as the settings were checked.
  const std::string path = platform::JoinPath(context.working_directory, name);
  (void)platform::SetEnvironmentVariable(common::kLogVariable, path);
  return common::RunLog(*context.env, path);
}

int RunLocked(RunContext& context, common::MessageSink& messages) {
  platform::FileLock lock;
  RunStatus status = TakeRunLock(context, &lock);
  if (!status.ok()) return EndWithFailure(messages, status);
  const common::RunLog log = OpenLog(context);
  context.log = &log;
  const std::string run = "scale=" + ScalesText(context) + " mode=" + ModeName(context.mode);
  // The transfer program serves the scales of the run that many at once.
  (void)platform::SetEnvironmentVariable(common::kParallelLimit.name, std::to_string(context.settings.parallel_scales));
  if (!log.Write("VelkoCon start " + run).ok()) {
    messages.Err("The log " + context.settings.log_file + " cannot be written; the run goes on without it.\n");
  }
  const double started = context.env->SteadySeconds();

  RunOutcome outcome;
  const bool load =
      context.mode == RunMode::kLoad || context.mode == RunMode::kCheck || context.mode == RunMode::kVerify;
  status = load ? RunLoadMode(context, &outcome) : RunRetrievalMode(context, &outcome);
  int exit_code;
  const double seconds = context.env->SteadySeconds() - started;
  if (!status.ok()) {
    exit_code = EndWithFailure(messages, status);
  } else {
    messages.Out(kBanner);
    exit_code = ExitCodeOf(outcome);
    const bool several = context.scales.size() > 1 && context.mode != RunMode::kCheck &&
                         context.mode != RunMode::kVerify;
    if (several || outcome.verified) ShowScaleSummary(context, outcome, seconds, messages);
  }
  (void)log.Write("VelkoCon end " + run + " exit=" + std::to_string(exit_code & 0xFF) +
                  " seconds=" + common::SecondsText(seconds));
  return exit_code;
}

int Run(int argc, char** argv, platform::Env& env, common::MessageSink& messages) {
  RunContext context;
  context.env = &env;
  context.messages = &messages;
  context.working_directory = platform::CurrentDirectory();

  std::vector<std::string> warnings;
  RunStatus status =
      ReadSettings(env, context.working_directory, &context.settings, &context.names, &warnings, argc <= 1);
  if (!status.ok()) return EndWithFailure(messages, status);
  context.program_directory = env.ProgramDirectory();
  std::string mode_value;
  const bool defined = platform::FindEnvironmentVariable(common::kTransferModeVariable, &mode_value);
  context.transfer_mode = common::TransferModeFromValue(defined, mode_value);

  status = ParseCommandLine(argc - 1, argv + 1, &context);
  if (!status.ok()) return EndWithFailure(messages, status);
  status = CheckReportNames(context);
  if (!status.ok()) return EndWithFailure(messages, status);
  for (const std::string& warning : warnings) messages.Err(warning + "\n");
  return RunLocked(context, messages);
}

}  // namespace

int RunConverter(int argc, char** argv, platform::Env& env, common::MessageSink& messages) {
  if (common::AnswerInfoRequest(argc, argv, "VelkoCon", HelpText(), messages)) return kExitOk;
  return Run(argc, argv, env, messages);
}

}  // namespace converter
