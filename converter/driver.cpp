#include "converter/driver.h"

#include "common/message_sink.h"
#include "converter/command_line.h"
#include "converter/load_mode.h"
#include "converter/report_modes.h"
#include "converter/run_context.h"
#include "converter/settings.h"
#include "platform/files.h"

namespace converter {

const char kBanner[] = "Conversion finished.\nPrice-list converter for networked scales.\n";

namespace {

// Where the message of a failure that ends the run goes, and the exit code.
struct FailureExit {
  RunFailure failure;
  common::Stream stream;
  int exit_code;
};

const FailureExit kFailureExits[] = {
    {kFailureSettings, common::Stream::kOut, kExitSettings},
    {kFailureCommandLine, common::Stream::kErr, kExitCommandLine},
    {kFailurePriceList, common::Stream::kErr, kExitNoPriceList},
    {kFailureScaleFile, common::Stream::kErr, kExitScaleFile},
    {kFailureReport, common::Stream::kOut, kExitReportFailed},
};

int EndWithFailure(common::MessageSink& messages, const common::Status& status) {
  for (const FailureExit& row : kFailureExits) {
    if (row.failure != status.code()) continue;
    messages.Write(row.stream, status.message());
    return row.exit_code;
  }
  messages.Err(status.message());
  return kExitSettings;
}

int ExitCodeOf(const RunOutcome& outcome) {
  if (outcome.report_incomplete) return kExitReportFailed;
  if (outcome.lines_rejected) return kExitRejectedLines;
  return kExitOk;
}

int Run(int argc, char** argv, common::MessageSink& messages) {
  RunContext context;
  context.messages = &messages;
  context.working_directory = platform::CurrentDirectory();

  common::Status status = ReadSettings(context.working_directory, &context.settings, &context.names);
  if (!status.ok()) return EndWithFailure(messages, status);
  context.program_directory = platform::ProgramDirectory();

  status = ParseCommandLine(argc - 1, argv + 1, &context);
  if (!status.ok()) return EndWithFailure(messages, status);

  RunOutcome outcome;
  status = context.mode == RunMode::kLoad ? RunLoadMode(context, &outcome) : RunRetrievalMode(context, &outcome);
  if (!status.ok()) return EndWithFailure(messages, status);
  messages.Out(kBanner);
  return ExitCodeOf(outcome);
}

}  // namespace

int RunConverter(int argc, char** argv) {
  common::ConsoleSink console;
  int exit_code = Run(argc, argv, console);
  console.Flush();
  return exit_code;
}

}  // namespace converter
