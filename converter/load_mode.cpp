#include "converter/load_mode.h"

#include <iterator>

#include "common/scale_file_names.h"
#include "converter/plu_file.h"
#include "converter/scale_file.h"
#include "converter/scale_verification.h"
#include "converter/store_name.h"
#include "converter/transfer_launcher.h"
#include "platform/env.h"

namespace converter {
namespace {

using common::DataFile;

// Copies a prepared record file (the shop's own in the working folder, else
// the one beside the converter, as the transfer program is found) to its
// per-scale name of each scale in the working folder, where the transfer
// program opens it. A missing prepared file removes the copies an earlier
// run left, so that old records are never sent, and *missing tells; a copy
// that fails (a full disk) ends the run before any transfer.
RunStatus CopyPreparedFile(const RunContext& context, DataFile file, bool* missing) {
  platform::Env& env = *context.env;
  const std::string name = common::DataFileArgument(file);
  std::string source = env.ResolveName(platform::JoinPath(context.working_directory, name));
  if (!platform::IsFile(env, source)) source = context.program_directory + name;
  *missing = !platform::IsFile(env, source);
  for (const std::string& scale : context.scales) {
    const std::string target = ScaleFilePath(context, scale, file);
    if (*missing) {
      (void)env.Remove(target);
    } else if (platform::SystemStatus copied = env.Copy(source, target); !copied.ok()) {
      return CouldNotWrite(target, copied);
    }
  }
  return RunStatus::Ok();
}

// Transfers the file to every scale; each failure is noted for its scale.
// The indexes of the scales it went well for.
std::vector<std::size_t> Transfer(const RunContext& context, DataFile file, RunOutcome* outcome) {
  const std::vector<LaunchStatus> outcomes = RunTransfer(context, file, context.scales);
  std::vector<std::size_t> done;
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    if (outcomes[i].ok()) {
      done.push_back(i);
      continue;
    }
    outcome->transfer_failed = true;
    outcome->ScaleFailed(i, std::string(common::DataFileArgument(file)) + ": " + outcomes[i].message());
  }
  return done;
}

// The verify mode: every scale read back and compared, nothing sent.
RunStatus RunVerifyMode(const RunContext& context, const std::string& plu_path, const PriceListCounts& counts,
                        RunOutcome* outcome) {
  if (counts.articles == 0) {
    context.messages->Err(counts.rejected > 0
                              ? "No line of the price list was accepted: no scale was read back.\n"
                              : "The price list holds no article: no scale was read back.\n");
    outcome->lines_rejected = true;
    return RunStatus::Ok();
  }
  std::vector<std::size_t> all;
  for (std::size_t i = 0; i < context.scales.size(); ++i) all.push_back(i);
  return VerifyScales(context, plu_path, counts, all, outcome);
}

// The transfers of a prepared file that is in neither folder: named as
// missing, not started.
void PreparedFileMissing(const RunContext& context, DataFile file, RunOutcome* outcome) {
  const std::string name = common::DataFileArgument(file);
  const std::string cause = name + " is in neither the shop folder nor the converter's folder";
  for (std::size_t i = 0; i < context.scales.size(); ++i) {
    (void)NotStarted(context, file, context.scales[i], cause);
    outcome->ScaleFailed(i, name + ": " + cause);
  }
  outcome->transfer_failed = true;
}

// The other scales' PLU files: copies of the first's.
RunStatus CopyPluFile(const RunContext& context, const std::string& plu_path) {
  for (std::size_t i = 1; i < context.scales.size(); ++i) {
    const std::string target = ScaleFilePath(context, context.scales[i], DataFile::kF25);
    if (platform::SystemStatus copied = context.env->Copy(plu_path, target); !copied.ok()) {
      return CouldNotWrite(target, copied);
    }
  }
  return RunStatus::Ok();
}

// The last file of the load for each scale: the store name, or without one
// the empty key file for file 92 (no key, so the scale is sent nothing).
RunStatus WriteLastFiles(const RunContext& context, DataFile* last) {
  const bool store_name = !context.settings.shop_name.empty();
  *last = store_name ? DataFile::kF52 : DataFile::kF92;
  for (const std::string& scale : context.scales) {
    RunStatus status = store_name ? WriteStoreNameFile(context, scale)
                                  : WriteScaleFile(*context.env, ScaleFilePath(context, scale, DataFile::kF92),
                                                   std::string());
    if (!status.ok()) return status;
  }
  return RunStatus::Ok();
}

}  // namespace

RunStatus RunLoadMode(const RunContext& context, RunOutcome* outcome) {
  PriceListCounts counts;
  const std::string plu_path = ScaleFilePath(context, context.scales.front(), DataFile::kF25);
  if (RunStatus status = WritePluFile(context, plu_path, &counts); !status.ok()) return status;
  outcome->lines_rejected = counts.rejected > 0;
  outcome->articles = counts.articles;
  if (RunStatus status = CopyPluFile(context, plu_path); !status.ok()) return status;

  if (context.mode == RunMode::kCheck) {
    context.messages->Print(common::Stream::kOut, "%lld articles, %lld rejected lines, %lld warnings\n", counts.articles,
                            counts.rejected, counts.warnings);
    return RunStatus::Ok();
  }
  if (context.mode == RunMode::kVerify) return RunVerifyMode(context, plu_path, counts, outcome);
  // Bad input never reaches the scale.
  if (counts.articles == 0 && counts.rejected > 0) {
    context.messages->Err("No line of the price list was accepted: nothing was sent to the scale.\n");
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
  const std::vector<std::size_t> loaded = Transfer(context, DataFile::kF25, outcome);

  DataFile last = DataFile::kF92;
  if (RunStatus status = WriteLastFiles(context, &last); !status.ok()) return status;
  Transfer(context, last, outcome);
  // The scales that took the PLU file are read back once the load is done.
  if (context.settings.verify) return VerifyScales(context, plu_path, counts, loaded, outcome);
  return RunStatus::Ok();
}

}  // namespace converter
