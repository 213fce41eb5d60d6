#include "converter/load_mode.h"

#include <cstdio>

#include "converter/plu_file.h"
#include "converter/scale_file.h"
#include "converter/store_name.h"
#include "converter/transfer_launcher.h"
#include "platform/files.h"

namespace converter {
namespace {

// Copies a prepared record file from the converter's folder to its per-scale
// name in the working directory, where the transfer program opens it. A
// missing source is not reported: the transfer runs anyway and the transfer
// program records its own failure.
void CopyPreparedFile(const RunContext& context, const char* name) {
  platform::CopyFile(context.program_directory + name,
                     platform::JoinPath(context.working_directory, context.prefix + name));
}

// The empty key file for file 92: no key, so the scale is sent nothing.
void CreateEmptyKeyFile(const RunContext& context) {
  std::FILE* file = CreateScaleFile(platform::JoinPath(context.working_directory, context.prefix + "f92.DAT"));
  if (file != nullptr) std::fclose(file);
}

}  // namespace

int RunLoadMode(const RunContext& context) {
  int rejected_lines = 0;
  int result = WritePluFile(context, &rejected_lines);
  if (result != kExitOk) return result;

  CopyPreparedFile(context, "F34.DAT");
  RunTransfer(context, "F34.DAT");
  CopyPreparedFile(context, "F38.DAT");
  RunTransfer(context, "F38.DAT");
  RunTransfer(context, "F25.DAT");

  if (context.settings.shop_name.empty()) {
    CreateEmptyKeyFile(context);
    RunTransfer(context, "F92.DAT");
  } else {
    result = WriteStoreNameFile(context);
    if (result != kExitOk) return result;
    RunTransfer(context, "F52.DAT");
  }
  PrintBanner();
  return rejected_lines > 0 ? kExitRejectedLines : kExitOk;
}

}  // namespace converter
