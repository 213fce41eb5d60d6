#include "converter/scale_verification.h"

#include <algorithm>
#include <cstdio>

#include "common/scale_file_names.h"
#include "converter/plu_verification.h"
#include "converter/scale_file.h"
#include "converter/transfer_launcher.h"
#include "platform/env.h"

namespace converter {
namespace {

using common::DataFile;

// The largest PLU file or read-back taken: far above the 1,000,000 records
// of the transfer program's read limit at the usual size of a PLU record.
constexpr std::size_t kMaxPluFileBytes = std::size_t{1} << 30;
// The deleted PLU numbers of a scale go to the run log this many a line.
constexpr std::size_t kDeletedPerLogLine = 20;

// What a read-back of one scale gave.
struct ReadBack {
  std::size_t index = 0;  // into context.scales
  bool whole = false;     // read back whole and compared
  Verification verification;
};

void Log(const RunContext& context, const std::string& line) {
  if (context.log != nullptr) (void)context.log->Write("VelkoCon " + line);
}

// A failed transfer of the file to scale number i.
void TransferFailed(DataFile file, std::size_t i, const std::string& cause, RunOutcome* outcome) {
  outcome->transfer_failed = true;
  outcome->ScaleFailed(i, std::string(common::DataFileArgument(file)) + ": " + cause);
}

std::vector<std::string> Identifiers(const RunContext& context, const std::vector<std::size_t>& indexes) {
  std::vector<std::string> scales;
  for (std::size_t i : indexes) scales.push_back(context.scales[i]);
  return scales;
}

// Reads back the scales at once and compares what came. A read-back that
// failed or is not whole fails the scale's transfer, named as a failed
// transfer is.
std::vector<ReadBack> ReadBackScales(const RunContext& context, const SentPlus& sent,
                                     const std::vector<std::uint32_t>& named_keys,
                                     const std::vector<std::size_t>& indexes, RunOutcome* outcome) {
  platform::Env& env = *context.env;
  // An incoming file of an earlier run must not pass for this one's.
  for (std::size_t i : indexes) (void)env.Remove(ScaleFilePath(context, context.scales[i], DataFile::kF85));
  const std::vector<LaunchStatus> launched = RunTransfer(context, DataFile::kF85, Identifiers(context, indexes));
  std::vector<ReadBack> read_backs;
  for (std::size_t n = 0; n < indexes.size(); ++n) {
    ReadBack read_back;
    read_back.index = indexes[n];
    const std::string& scale = context.scales[read_back.index];
    if (!launched[n].ok()) {
      TransferFailed(DataFile::kF85, read_back.index, launched[n].message(), outcome);
      read_backs.push_back(read_back);
      continue;
    }
    const std::string path = ScaleFilePath(context, scale, DataFile::kF85);
    std::string text;
    std::string cause;
    if (platform::SystemStatus read = platform::ReadWholeFile(env, path, kMaxPluFileBytes, &text); !read.ok()) {
      cause = "cannot read " + FileNameOf(path) + ": " + read.message();
    } else if (!CompareReadBack(sent, named_keys, text, &read_back.verification)) {
      cause = "the read-back " + FileNameOf(path) + " is not whole";
    } else {
      read_back.whole = true;
    }
    if (!cause.empty()) {
      context.messages->Err("Transfer of " + std::string(common::DataFileArgument(DataFile::kF85)) + " to scale " +
                            scale + " failed: " + cause + "\n");
      TransferFailed(DataFile::kF85, read_back.index, cause, outcome);
    }
    read_backs.push_back(read_back);
  }
  return read_backs;
}

// The key file of the keys: 8 hex digits each, nothing between them.
std::string KeyFileText(const std::vector<std::uint32_t>& keys) {
  std::string text;
  char key_text[9];
  for (std::uint32_t key : keys) {
    std::snprintf(key_text, sizeof key_text, "%08X", static_cast<unsigned>(key));
    text += key_text;
  }
  return text;
}

// The deleted PLU numbers in the run log: "VelkoCon deleted scale=001
// plus=50,60,70", kDeletedPerLogLine a line.
void LogDeleted(const RunContext& context, const std::string& scale, const std::vector<std::uint32_t>& keys) {
  for (std::size_t first = 0; first < keys.size(); first += kDeletedPerLogLine) {
    std::string numbers;
    for (std::size_t i = first; i < keys.size() && i < first + kDeletedPerLogLine; ++i) {
      if (i > first) numbers += ',';
      numbers += PluNumberText(keys[i]);
    }
    Log(context, "deleted scale=" + scale + " plus=" + numbers);
  }
}

// Deletes from each scale read back whole the PLUs the price list does not
// name, no more than Remove Limit of them, and reads those scales back once
// more: their new read-backs replace the first ones.
RunStatus RemoveOthers(const RunContext& context, const SentPlus& sent, const std::vector<std::uint32_t>& named_keys,
                       std::vector<ReadBack>* read_backs, RunOutcome* outcome) {
  const std::size_t limit = static_cast<std::size_t>(context.settings.remove_limit);
  std::vector<std::size_t> deleting;  // positions in read_backs
  for (std::size_t n = 0; n < read_backs->size(); ++n) {
    const ReadBack& read_back = (*read_backs)[n];
    const std::vector<std::uint32_t>& others = read_back.verification.others;
    if (!read_back.whole || others.empty()) continue;
    const std::string& scale = context.scales[read_back.index];
    if (others.size() > limit) {
      const std::string line = "Scale " + scale + " holds " + std::to_string(others.size()) +
                               " PLUs that the price list does not name, more than Remove Limit=" +
                               std::to_string(limit) + ": none deleted.";
      context.messages->Err(line + "\n");
      Log(context, line);
      continue;
    }
    const std::string path = ScaleFilePath(context, scale, DataFile::kF95);
    if (RunStatus written = WriteScaleFile(*context.env, path, KeyFileText(others)); !written.ok()) return written;
    deleting.push_back(n);
  }
  if (deleting.empty()) return RunStatus::Ok();

  std::vector<std::size_t> indexes;
  for (std::size_t n : deleting) indexes.push_back((*read_backs)[n].index);
  const std::vector<LaunchStatus> launched = RunTransfer(context, DataFile::kF95, Identifiers(context, indexes));
  std::vector<std::size_t> confirming;
  for (std::size_t k = 0; k < deleting.size(); ++k) {
    const ReadBack& read_back = (*read_backs)[deleting[k]];
    if (!launched[k].ok()) {
      TransferFailed(DataFile::kF95, read_back.index, launched[k].message(), outcome);
      continue;
    }
    const std::string& scale = context.scales[read_back.index];
    const std::size_t count = read_back.verification.others.size();
    context.messages->Err("Deleted from scale " + scale + ": " + std::to_string(count) +
                          (count == 1 ? " PLU" : " PLUs") + " that the price list does not name.\n");
    LogDeleted(context, scale, read_back.verification.others);
    confirming.push_back(read_back.index);
  }
  if (confirming.empty()) return RunStatus::Ok();
  for (ReadBack& again : ReadBackScales(context, sent, named_keys, confirming, outcome)) {
    for (ReadBack& read_back : *read_backs) {
      if (read_back.index == again.index) read_back = again;
    }
  }
  return RunStatus::Ok();
}

}  // namespace

RunStatus VerifyScales(const RunContext& context, const std::string& plu_path, const PriceListCounts& counts,
                       const std::vector<std::size_t>& scales, RunOutcome* outcome) {
  outcome->verified = true;
  if (scales.empty()) return RunStatus::Ok();
  std::string text;
  if (platform::SystemStatus read = platform::ReadWholeFile(*context.env, plu_path, kMaxPluFileBytes, &text);
      !read.ok()) {
    return read.As(RunFailure::kScaleFile, "Could not read file.")
        .WithCause("cannot read " + FileNameOf(plu_path) + ": " + read.message());
  }
  SentPlus sent;
  if (!sent.Take(std::move(text))) {
    return RunStatus::Error(RunFailure::kScaleFile, "Could not read file.")
        .WithCause(FileNameOf(plu_path) + " holds something that is no PLU record");
  }
  std::vector<std::uint32_t> named_keys = counts.rejected_keys;
  std::sort(named_keys.begin(), named_keys.end());

  std::vector<ReadBack> read_backs = ReadBackScales(context, sent, named_keys, scales, outcome);
  const bool remove = context.settings.remove_other_plus;
  if (remove && context.mode == RunMode::kLoad && counts.articles > 0) {
    if (RunStatus status = RemoveOthers(context, sent, named_keys, &read_backs, outcome); !status.ok()) return status;
  }
  // The PLUs the price list does not name are shown by the verify mode, and
  // where they ought to be gone.
  const bool name_others = context.mode == RunMode::kVerify || remove;
  for (const ReadBack& read_back : read_backs) {
    if (!read_back.whole) continue;
    const Verification& verification = read_back.verification;
    outcome->ScaleVerified(read_back.index, VerificationText(verification, name_others));
    if (verification.problems > 0 || (remove && !verification.others.empty())) outcome->not_as_sent = true;
  }
  return RunStatus::Ok();
}

}  // namespace converter
