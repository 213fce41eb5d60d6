#include "converter/transfer_launcher.h"

#include <chrono>
#include <vector>

#include "common/decimal_text.h"
#include "common/transfer_results.h"
#include "platform/files.h"
#include "platform/process.h"

namespace converter {
namespace {

const char kErrorFile[] = "error";
const char kRetvalsFile[] = "retvals";
const char kNoFailure[] = "0";
// The transfer program's exit status when at least one scale failed.
constexpr std::uint32_t kSomeScaleFailed = 1;
// The most of a result file that is read.
constexpr std::size_t kMaxResultText = 200;

// The start of a result file's text; false if it cannot be read.
bool ReadResultFile(const std::string& path, std::string* text) {
  platform::MappedFile file;
  if (!platform::MapFileReadOnly(path, &file).ok()) return false;
  text->assign(file.data != nullptr ? file.data : "", file.size < kMaxResultText ? file.size : kMaxResultText);
  platform::UnmapFile(&file);
  return true;
}

// What the result files say about a failed transfer: the first failed
// scale's result code in words.
std::string ResultCause(const RunContext& context) {
  std::string retvals;
  if (!ReadResultFile(platform::JoinPath(context.working_directory, kRetvalsFile), &retvals) || retvals.empty()) {
    return "the transfer program recorded a failure";
  }
  const int code = common::LeadingDecimalValue(retvals);
  return std::string(common::TransferResultText(code)) + " (result " + std::to_string(code) + ")";
}

std::string EndCause(const RunContext& context, const platform::ProgramEnd& end) {
  if (end.by_signal) return "the transfer program was ended by signal " + std::to_string(end.signal);
  if (end.exit_status == kSomeScaleFailed) return ResultCause(context);
  if (end.exit_status != 0) return "the transfer program ended with exit code " + std::to_string(end.exit_status);
  std::string error;
  if (!ReadResultFile(platform::JoinPath(context.working_directory, kErrorFile), &error)) {
    return "the transfer program left no result file";
  }
  if (error != kNoFailure) return ResultCause(context);
  return std::string();
}

}  // namespace

TransferOutcome RunTransfer(const RunContext& context, common::DataFile file) {
  const std::string argument = common::TransferFileArgument(file, context.transfer_mode);
  std::string name = platform::ProgramFileName("xferlnk");
  std::string program = platform::ResolveName(platform::JoinPath(context.working_directory, name));
  if (!platform::FileExists(program)) program = context.program_directory + name;

  const std::vector<std::string> arguments = {argument, context.scale_identifier};

  const auto started = std::chrono::steady_clock::now();
  TransferOutcome outcome;
  const std::string error_path = platform::JoinPath(context.working_directory, kErrorFile);
  (void)platform::DeleteFile(error_path);
  context.messages->Flush();
  platform::ProgramEnd end;
  if (platform::FileExists(error_path)) {
    outcome.cause = "the old result file error cannot be removed";
  } else if (common::Status started_status = platform::RunProgramToEnd(program, arguments,
                                                                       context.working_directory, &end);
             !started_status.ok()) {
    outcome.cause = "the transfer program " + program + " could not be started (" + started_status.message() + ")";
  } else {
    outcome.cause = EndCause(context, end);
  }
  outcome.ok = outcome.cause.empty();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  std::string line = "VelkoCon transfer scale=" + context.scale_identifier + " file=" + argument +
                     " seconds=" + common::SecondsText(seconds) + (outcome.ok ? " result=ok" : " result=failed ");
  if (context.log != nullptr) (void)context.log->Write(line + outcome.cause);
  if (!outcome.ok) {
    context.messages->Err("Transfer of " + std::string(common::DataFileArgument(file)) + " to scale " +
                          context.scale_identifier + " failed: " + outcome.cause + "\n");
  }
  context.messages->Flush();
  return outcome;
}

}  // namespace converter
