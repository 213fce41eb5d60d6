#include "converter/load_mode.h"

#include <iterator>

#include "common/scale_file_names.h"
#include "converter/command_line.h"
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

// Copies a prepared record file (the shop's own in the working folder, else
// the one beside the converter, as the transfer program is found) to its
// per-scale name in the working folder, where the transfer program opens it.
// A missing prepared file removes a copy left by an earlier run, so that old
// records are never sent, and *missing tells; a copy that fails (a full disk)
// ends the run before any transfer.
RunStatus CopyPreparedFile(const RunContext& context, DataFile file, bool* missing) {
  platform::Env& env = *context.env;
  const std::string name = common::DataFileArgument(file);
  std::string source = env.ResolveName(platform::JoinPath(context.working_directory, name));
  if (!platform::IsFile(env, source)) source = context.program_directory + name;
  const std::string target = WorkingFile(context, file);
  *missing = !platform::IsFile(env, source);
  if (*missing) {
    (void)env.Remove(target);
    return RunStatus::Ok();
  }
  if (platform::SystemStatus copied = env.Copy(source, target); !copied.ok()) return CouldNotWrite(target, copied);
  return RunStatus::Ok();
}

void Transfer(const RunContext& context, DataFile file, RunOutcome* outcome) {
  if (!RunTransfer(context, file).ok()) outcome->transfer_failed = true;
}

// The transfer of a prepared file that is in neither folder: named as
// missing, not started.
void PreparedFileMissing(const RunContext& context, DataFile file, RunOutcome* outcome) {
  const std::string name = common::DataFileArgument(file);
  (void)NotStarted(context, file, name + " is in neither the shop folder nor the converter's folder");
  outcome->transfer_failed = true;
}

// The line that says why no article was accepted, when every line was
// rejected for too few columns: most likely the separator digit is wrong.
std::string SeparatorHint(char separator) {
  std::string in_use, others;
  for (const SeparatorChoice& choice : kSeparatorChoices) {
    if (choice.separator == separator) {
      in_use = choice.name;
    } else {
      others += std::string(others.empty() ? "" : ", ") + choice.digit_text + " for " + choice.name;
    }
  }
  return "Every line has too few columns for the separator in use (" + in_use +
         "); the separator digit chooses another: " + others + ".\n";
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
    if (counts.too_few_columns == counts.rejected) context.messages->Err(SeparatorHint(context.separator));
    return RunStatus::Ok();
  }
  // An empty list is most likely an export that failed: the scale keeps
  // what it has.
  if (counts.articles == 0) {
    context.messages->Err("The price list holds no article: nothing was sent to the scale.\n");
    outcome->lines_rejected = true;
    return RunStatus::Ok();
  }

  const DataFile prepared[] = {DataFile::kF34, DataFile::kF38};
  bool missing[std::size(prepared)] = {};
  for (std::size_t i = 0; i < std::size(prepared); ++i) {
    if (RunStatus status = CopyPreparedFile(context, prepared[i], &missing[i]); !status.ok()) return status;
  }
  for (std::size_t i = 0; i < std::size(prepared); ++i) {
    if (missing[i]) {
      PreparedFileMissing(context, prepared[i], outcome);
    } else {
      Transfer(context, prepared[i], outcome);
    }
  }
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
