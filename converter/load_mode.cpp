#include "converter/load_mode.h"

#include "common/scale_file_names.h"
#include "converter/plu_file.h"
#include "converter/scale_file.h"
#include "converter/store_name.h"
#include "converter/transfer_launcher.h"
#include "platform/env.h"

namespace converter {
namespace {

using common::DataFile;

std::string WorkingFile(const RunContext& context, DataFile file) {
  return platform::JoinPath(context.working_directory, common::ConverterFileName(context.scale_identifier, file));
}

// Copies a prepared record file from the converter's folder to its per-scale
// name in the working directory, where the transfer program opens it. A
// missing prepared file removes a copy left by an earlier run, so that its
// transfer fails for all to see instead of sending old records; a copy that
// fails (a full disk) ends the run before any transfer.
RunStatus CopyPreparedFile(const RunContext& context, DataFile file) {
  platform::Env& env = *context.env;
  const std::string source = context.program_directory + common::DataFileArgument(file);
  const std::string target = WorkingFile(context, file);
  if (!platform::IsFile(env, source)) {
    (void)env.Remove(target);
    return RunStatus::Ok();
  }
  if (platform::SystemStatus copied = env.Copy(source, target); !copied.ok()) return CouldNotWrite(target, copied);
  return RunStatus::Ok();
}

void Transfer(const RunContext& context, DataFile file, RunOutcome* outcome) {
  if (!RunTransfer(context, file).ok()) outcome->transfer_failed = true;
}

}  // namespace

RunStatus RunLoadMode(const RunContext& context, RunOutcome* outcome) {
  PriceListCounts counts;
  if (RunStatus status = WritePluFile(context, &counts); !status.ok()) return status;
  outcome->lines_rejected = counts.rejected > 0;

  if (context.mode == RunMode::kCheck) {
    context.messages->Print(common::Stream::kOut, "%lld articles, %lld rejected lines, %lld warnings\n", counts.articles,
                            counts.rejected, counts.warnings);
    return RunStatus::Ok();
  }
  // Bad input never reaches the scale.
  if (counts.articles == 0 && counts.rejected > 0) {
    context.messages->Err("No line of the price list was accepted: nothing was sent to the scale.\n");
    return RunStatus::Ok();
  }
  if (counts.articles == 0) {
    context.messages->Err("The price list holds no article: no article was sent to the scale.\n");
  }

  for (DataFile file : {DataFile::kF34, DataFile::kF38}) {
    if (RunStatus status = CopyPreparedFile(context, file); !status.ok()) return status;
  }
  Transfer(context, DataFile::kF34, outcome);
  Transfer(context, DataFile::kF38, outcome);
  Transfer(context, DataFile::kF25, outcome);

  if (context.settings.shop_name.empty()) {
    // The empty key file for file 92: no key, so the scale is sent nothing.
    if (RunStatus status = WriteScaleFile(*context.env, WorkingFile(context, DataFile::kF92), std::string());
        !status.ok()) {
      return status;
    }
    Transfer(context, DataFile::kF92, outcome);
  } else {
    if (RunStatus status = WriteStoreNameFile(context); !status.ok()) return status;
    Transfer(context, DataFile::kF52, outcome);
  }
  return RunStatus::Ok();
}

}  // namespace converter
