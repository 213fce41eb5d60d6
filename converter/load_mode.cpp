#include "converter/load_mode.h"

#include "common/scale_file_names.h"
#include "converter/command_line.h"
#include "converter/plu_file.h"
#include "converter/scale_file.h"
#include "converter/store_name.h"
#include "converter/transfer_launcher.h"
#include "platform/files.h"

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
common::Status CopyPreparedFile(const RunContext& context, DataFile file) {
  const std::string source = context.program_directory + common::DataFileArgument(file);
  const std::string target = WorkingFile(context, file);
  if (!platform::FileExists(source)) {
    (void)platform::DeleteFile(target);
    return common::Status::Ok();
  }
  if (!platform::CopyFile(source, platform::ResolveName(target)).ok()) return CouldNotWrite();
  return common::Status::Ok();
}

// The empty key file for file 92: no key, so the scale is sent nothing.
common::Status CreateEmptyKeyFile(const RunContext& context) {
  common::OwnedFile file = CreateScaleFile(WorkingFile(context, DataFile::kF92));
  if (!file.is_open()) return CouldNotCreate();
  if (!file.Close()) return CouldNotWrite();
  return common::Status::Ok();
}

void Transfer(const RunContext& context, DataFile file, RunOutcome* outcome) {
  if (!RunTransfer(context, file).ok) outcome->transfer_failed = true;
}

// The line that says why no article was accepted, when every line was
// rejected for too few columns: most likely the separator digit is wrong.
std::string SeparatorHint(char separator) {
  struct Choice {
    char separator;
    const char* name;
    const char* digit;
  } const choices[] = {{',', "comma", "1"}, {';', "semicolon", "2"}, {'#', "#", "3"}, {'.', "full stop", "4"},
                       {'\t', "TAB", "5 (or none)"}};
  std::string in_use, others;
  for (const Choice& choice : choices) {
    if (choice.separator == separator) {
      in_use = choice.name;
    } else {
      others += std::string(others.empty() ? "" : ", ") + choice.digit + " for " + choice.name;
    }
  }
  return "Every line has too few columns for the separator in use (" + in_use +
         "); the separator digit chooses another: " + others + ".\n";
}

}  // namespace

common::Status RunLoadMode(const RunContext& context, RunOutcome* outcome) {
  PriceListCounts counts;
  if (common::Status status = WritePluFile(context, &counts); !status.ok()) return status;
  outcome->lines_rejected = counts.rejected > 0;

  if (context.mode == RunMode::kCheck) {
    context.messages->Print(common::Stream::kOut, "%lld articles, %lld rejected lines, %lld warnings\n", counts.articles,
                            counts.rejected, counts.warnings);
    return common::Status::Ok();
  }
  // Bad input never reaches the scale.
  if (counts.articles == 0 && counts.rejected > 0) {
    context.messages->Err("No line of the price list was accepted: nothing was sent to the scale.\n");
    if (counts.too_few_columns == counts.rejected) context.messages->Err(SeparatorHint(context.separator));
    return common::Status::Ok();
  }
  if (counts.articles == 0) {
    context.messages->Err("The price list holds no article: no article was sent to the scale.\n");
  }

  for (DataFile file : {DataFile::kF34, DataFile::kF38}) {
    if (common::Status status = CopyPreparedFile(context, file); !status.ok()) return status;
  }
  Transfer(context, DataFile::kF34, outcome);
  Transfer(context, DataFile::kF38, outcome);
  Transfer(context, DataFile::kF25, outcome);

  if (context.settings.shop_name.empty()) {
    if (common::Status status = CreateEmptyKeyFile(context); !status.ok()) return status;
    Transfer(context, DataFile::kF92, outcome);
  } else {
    if (common::Status status = WriteStoreNameFile(context); !status.ok()) return status;
    Transfer(context, DataFile::kF52, outcome);
  }
  return common::Status::Ok();
}

}  // namespace converter
