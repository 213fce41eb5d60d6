#include "converter/load_mode.h"

#include "common/scale_file_names.h"
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
// missing source is not reported: the transfer runs anyway and the transfer
// program records its own failure.
void CopyPreparedFile(const RunContext& context, DataFile file) {
  (void)platform::CopyFile(context.program_directory + common::DataFileArgument(file), WorkingFile(context, file));
}

// The empty key file for file 92: no key, so the scale is sent nothing.
void CreateEmptyKeyFile(const RunContext& context) { (void)CreateScaleFile(WorkingFile(context, DataFile::kF92)); }

}  // namespace

common::Status RunLoadMode(const RunContext& context, RunOutcome* outcome) {
  int rejected_lines = 0;
  if (common::Status status = WritePluFile(context, &rejected_lines); !status.ok()) return status;
  outcome->lines_rejected = rejected_lines > 0;

  CopyPreparedFile(context, DataFile::kF34);
  RunTransfer(context, DataFile::kF34);
  CopyPreparedFile(context, DataFile::kF38);
  RunTransfer(context, DataFile::kF38);
  RunTransfer(context, DataFile::kF25);

  if (context.settings.shop_name.empty()) {
    CreateEmptyKeyFile(context);
    RunTransfer(context, DataFile::kF92);
  } else {
    if (common::Status status = WriteStoreNameFile(context); !status.ok()) return status;
    RunTransfer(context, DataFile::kF52);
  }
  return common::Status::Ok();
}

}  // namespace converter
