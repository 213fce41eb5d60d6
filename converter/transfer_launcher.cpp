#include "converter/transfer_launcher.h"

#include <vector>

#include "common/transfer_contract.h"
#include "platform/env.h"

namespace converter {
namespace {

// The transfer program's exit status when at least one scale failed.
constexpr std::uint32_t kSomeScaleFailed = common::kTransferExitSomeFailed;

LaunchStatus Failed(LaunchResult result, std::string cause) { return LaunchStatus::Error(result, std::move(cause)); }

// What the result files say about a failed transfer: the first failed
// scale's result code in words.
LaunchStatus ScaleFailed(const common::RecordedResults& results) {
  if (!results.code_read) return Failed(LaunchResult::kScaleFailed, "the transfer program recorded a failure");
  return Failed(LaunchResult::kScaleFailed, std::string(common::ResultNumberText(results.first_number)) +
                                                " (result " + std::to_string(results.first_number) + ")");
}

LaunchStatus Outcome(const RunContext& context, const platform::ProgramEnd& end) {
  if (end.by_signal) {
    return Failed(LaunchResult::kProgramFailed,
                  "the transfer program was ended by signal " + std::to_string(end.signal));
  }
  const common::RecordedResults results = common::ReadResultFiles(*context.env, context.working_directory);
  if (end.exit_status == kSomeScaleFailed) return ScaleFailed(results);
  if (end.exit_status != 0) {
    return Failed(LaunchResult::kProgramFailed,
                  "the transfer program ended with exit code " + std::to_string(end.exit_status));
  }
  if (!results.error_read) return Failed(LaunchResult::kScaleFailed, "the transfer program left no result file");
  if (!results.none_failed) return ScaleFailed(results);
  return LaunchStatus::Ok();
}

// Logs how the transfer went and names a failed one on the error stream.
void Tell(const RunContext& context, common::DataFile file, const LaunchStatus& outcome, double seconds) {
  const std::string argument = common::TransferFileArgument(file, context.transfer_mode);
  std::string line = "VelkoCon transfer scale=" + context.scale_identifier + " file=" + argument +
                     " seconds=" + common::SecondsText(seconds) + (outcome.ok() ? " result=ok" : " result=failed ");
  if (context.log != nullptr) (void)context.log->Write(line + outcome.message());
  if (!outcome.ok()) {
    context.messages->Err("Transfer of " + std::string(common::DataFileArgument(file)) + " to scale " +
                          context.scale_identifier + " failed: " + outcome.message() + "\n");
  }
  context.messages->Flush();
}

}  // namespace

LaunchStatus RunTransfer(const RunContext& context, common::DataFile file) {
  platform::Env& env = *context.env;
  const std::string argument = common::TransferFileArgument(file, context.transfer_mode);
  const std::string name = platform::ProgramFileName(common::kTransferProgramName);
  std::string program = env.ResolveName(platform::JoinPath(context.working_directory, name));
  if (!platform::IsFile(env, program)) program = context.program_directory + name;

  const std::vector<std::string> arguments = {argument, context.scale_identifier};

  const double started = env.SteadySeconds();
  const std::string error_path = platform::JoinPath(context.working_directory, common::kErrorFileName);
  (void)env.Remove(error_path);
  context.messages->Flush();
  platform::ProgramEnd end;
  LaunchStatus outcome;
  if (platform::IsFile(env, error_path)) {
    outcome = Failed(LaunchResult::kNotStarted, "the old result file error cannot be removed");
  } else if (platform::SystemStatus run = env.RunProgram(program, arguments, context.working_directory, &end);
             !run.ok()) {
    outcome = Failed(LaunchResult::kNotStarted,
                     "the transfer program " + program + " could not be started (" + run.message() + ")");
  } else {
    outcome = Outcome(context, end);
  }
  Tell(context, file, outcome, env.SteadySeconds() - started);
  return outcome;
}

LaunchStatus NotStarted(const RunContext& context, common::DataFile file, const std::string& cause) {
  const LaunchStatus outcome = Failed(LaunchResult::kNotStarted, cause);
  Tell(context, file, outcome, 0);
  return outcome;
}

}  // namespace converter
