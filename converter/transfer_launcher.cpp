#include "converter/transfer_launcher.h"

#include "common/transfer_contract.h"
#include "platform/env.h"

namespace converter {
namespace {

// The transfer program's exit status when at least one scale failed.
constexpr std::uint32_t kSomeScaleFailed = common::kTransferExitSomeFailed;

LaunchStatus Failed(LaunchResult result, std::string cause) { return LaunchStatus::Error(result, std::move(cause)); }

// What the result files say about a failed scale: its result number in words.
LaunchStatus ScaleFailed(int number) {
  return LaunchStatus::Error(LaunchResult::kScaleFailed,
                             std::string(common::ResultNumberText(number)) + " (result " + std::to_string(number) + ")",
                             number);
}

// The outcome of each scale once the program has ended.
std::vector<LaunchStatus> Outcomes(const RunContext& context, const platform::ProgramEnd& end,
                                   const std::vector<std::string>& scales) {
  std::vector<LaunchStatus> outcomes(scales.size());
  auto all = [&outcomes](const LaunchStatus& outcome) {
    for (LaunchStatus& each : outcomes) each = outcome;
    return outcomes;
  };
  if (end.by_signal) {
    return all(Failed(LaunchResult::kProgramFailed,
                      "the transfer program was ended by signal " + std::to_string(end.signal)));
  }
  const common::RecordedResults results = common::ReadResultFiles(*context.env, context.working_directory);
  if (end.exit_status != 0 && end.exit_status != kSomeScaleFailed) {
    return all(Failed(LaunchResult::kProgramFailed,
                      "the transfer program ended with exit code " + std::to_string(end.exit_status)));
  }
  const LaunchStatus recorded = results.code_read ? ScaleFailed(results.first_number)
                                                 : Failed(LaunchResult::kScaleFailed,
                                                          "the transfer program recorded a failure");
  if (!results.error_read) {
    return all(end.exit_status == kSomeScaleFailed
                   ? recorded
                   : Failed(LaunchResult::kScaleFailed, "the transfer program left no result file"));
  }
  if (end.exit_status == 0 && results.none_failed) return outcomes;
  bool any_named = false;
  for (std::size_t i = 0; i < scales.size(); ++i) {
    int number = 0;
    if (!results.NumberOf(scales[i], &number)) continue;
    outcomes[i] = ScaleFailed(number);
    any_named = true;
  }
  // A failure the files do not tie to a scale of the run fails them all.
  if (!any_named) return all(recorded);
  return outcomes;
}

// Logs how the transfer went for a scale and names a failed one on the
// error stream.
void Tell(const RunContext& context, common::DataFile file, const std::string& scale, const LaunchStatus& outcome,
          double seconds) {
  const std::string argument = common::TransferFileArgument(file, context.transfer_mode);
  std::string line = "VelkoCon transfer scale=" + scale + " file=" + argument + " seconds=" +
                     common::SecondsText(seconds) + (outcome.ok() ? " result=ok" : " result=failed ");
  if (context.log != nullptr) (void)context.log->Write(line + outcome.message());
  if (!outcome.ok()) {
    context.messages->Err("Transfer of " + std::string(common::DataFileArgument(file)) + " to scale " + scale +
                          " failed: " + outcome.message() + "\n");
  }
}

}  // namespace

std::vector<LaunchStatus> RunTransfer(const RunContext& context, common::DataFile file,
                                      const std::vector<std::string>& scales) {
  platform::Env& env = *context.env;
  const std::string argument = common::TransferFileArgument(file, context.transfer_mode);
  const std::string name = platform::ProgramFileName(common::kTransferProgramName);
  std::string program = env.ResolveName(platform::JoinPath(context.working_directory, name));
  if (!platform::IsFile(env, program)) program = context.program_directory + name;

  std::vector<std::string> arguments = {argument};
  arguments.insert(arguments.end(), scales.begin(), scales.end());

  const double started = env.SteadySeconds();
  const std::string error_path = platform::JoinPath(context.working_directory, common::kErrorFileName);
  (void)env.Remove(error_path);
  context.messages->Flush();
  platform::ProgramEnd end;
  std::vector<LaunchStatus> outcomes(scales.size());
  // A value the transfer program would refuse is named here, as the cause.
  if (common::VariableStatus limits = common::CheckTransferLimits(); !limits.ok()) {
    outcomes.assign(scales.size(), Failed(LaunchResult::kNotStarted, limits.message()));
  } else if (platform::IsFile(env, error_path)) {
    outcomes.assign(scales.size(), Failed(LaunchResult::kNotStarted, "the old result file error cannot be removed"));
  } else if (platform::SystemStatus run = env.RunProgram(program, arguments, context.working_directory, &end);
             !run.ok()) {
    outcomes.assign(scales.size(), Failed(LaunchResult::kNotStarted, "the transfer program " + program +
                                                                         " could not be started (" + run.message() +
                                                                         ")"));
  } else {
    outcomes = Outcomes(context, end, scales);
  }
  const double seconds = env.SteadySeconds() - started;
  for (std::size_t i = 0; i < scales.size(); ++i) Tell(context, file, scales[i], outcomes[i], seconds);
  context.messages->Flush();
  return outcomes;
}

LaunchStatus NotStarted(const RunContext& context, common::DataFile file, const std::string& scale,
                        const std::string& cause) {
  const LaunchStatus outcome = Failed(LaunchResult::kNotStarted, cause);
  Tell(context, file, scale, outcome, 0);
  context.messages->Flush();
  return outcome;
}

}  // namespace converter
