// What every run mode of the converter knows about its run, and how its
// operations report what went wrong.
//
// Messages: an operation writes what the run goes on after (a rejected
// price-list line, a report without data) through the run's message sink as
// it happens. A failure that ends the run is returned as a RunStatus
// (converter/run_failure.h) whose message is the text the driver prints; the
// driver alone chooses the stream and the exit code.
//
// Files, the clock and the transfer program are reached through the run's
// Env, so that tests can put their own in place of the system's.
#pragma once

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/run_log.h"
#include "common/scale_file_names.h"
#include "converter/run_failure.h"
#include "converter/settings.h"
#include "platform/env.h"

namespace converter {

// The longest name of the PLU or store-name file.
constexpr std::size_t kMaxScaleFileName = 199;

enum class RunMode { kLoad, kCheck, kReport, kTransact, kRTBuffer, kVerify };

struct RunContext {
  std::string working_directory;  // the current directory at start
  std::string program_directory;  // the converter's own folder, with a trailing separator
  // The scale identifiers the first argument names, in its order: itself,
  // those it lists between commas, or for "all" those of the setting Scales.
  std::vector<std::string> scales;
  char separator = '\t';
  RunMode mode = RunMode::kLoad;
  bool fetch = true;  // false: a retrieval mode converts the incoming files already there
  common::TransferMode transfer_mode = common::TransferMode::kScaleNumber;  // from XFLTCPMODE
  Settings settings;
  NameTable names;
  platform::Env* env = nullptr;             // the system's, or a test's
  common::MessageSink* messages = nullptr;  // the driver's sink
  const common::RunLog* log = nullptr;      // the run log (may be off)
};

// The scales as the run log and messages name them: "001", "001,002,003".
inline std::string ScalesText(const RunContext& context) {
  std::string text;
  for (const std::string& scale : context.scales) text += (text.empty() ? "" : ",") + scale;
  return text;
}

// The path in the working folder of one of a scale's files ("qs001F25.dat").
inline std::string ScaleFilePath(const RunContext& context, const std::string& scale, common::DataFile file) {
  return platform::JoinPath(context.working_directory, common::ConverterFileName(scale, file));
}

// Writes the line that says why a fixed message was given, on the error
// stream: "VelkoCon: " + cause ("VelkoCon: cannot open VelkoCon.txt: No such
// file or directory"). Nothing for an empty cause.
inline void ShowCause(common::MessageSink& messages, const std::string& cause) {
  if (!cause.empty()) messages.Err("VelkoCon: " + cause + "\n");
}

// How a run that reached its end went.
struct RunOutcome {
  bool lines_rejected = false;     // the load went on without some price-list lines, or sent nothing
  bool report_incomplete = false;  // a report was not fetched or converted whole
  bool transfer_failed = false;    // a load's transfer failed
  bool verified = false;           // scales were read back: each scale's outcome has a line at the end
  bool not_as_sent = false;        // a scale holds something other than what was sent
  long long articles = 0;          // load: the PLUs each scale was sent
  // For each scale of the run, by its index in RunContext::scales: what
  // failed first for it, in words ("F25.DAT: no connection to the scale
  // (result -5)"); empty while nothing has.
  std::vector<std::string> scale_failures;
  // For each scale read back, by the same index: what the read-back showed
  // ("3 of 3 PLUs as sent"); empty for a scale not read back.
  std::vector<std::string> scale_verifications;

  // Notes a failure of scale number i, if it is the scale's first.
  void ScaleFailed(std::size_t i, const std::string& what) {
    if (scale_failures.size() <= i) scale_failures.resize(i + 1);
    if (scale_failures[i].empty()) scale_failures[i] = what;
  }
  // Notes what scale number i's read-back showed, replacing an earlier one.
  void ScaleVerified(std::size_t i, const std::string& what) {
    if (scale_verifications.size() <= i) scale_verifications.resize(i + 1);
    scale_verifications[i] = what;
  }
};

}  // namespace converter
