#include "converter/report_modes.h"

#include <string>

#include "common/scale_file_names.h"
#include "converter/archive.h"
#include "converter/report_conversion.h"
#include "converter/report_names.h"
#include "converter/transfer_launcher.h"
#include "platform/env.h"

namespace converter {
namespace {

using common::DataFile;

// One fetch of a retrieval mode. The settings key's value switches it on
// and, for a row with a layout, names the report file.
struct ReportRow {
  RunMode mode;
  std::string Settings::*key;
  DataFile file;
  bool converted;  // false: fetched (and so cleared at the scale) and kept, no report
  ReportLayout layout;
};

// The rows in the order the modes work through them.
const ReportRow kReportRows[] = {
    {RunMode::kReport, &Settings::mg_total, DataFile::kF24, true, ReportLayout::kMGTotal},
    {RunMode::kReport, &Settings::plu_total, DataFile::kF26, true, ReportLayout::kPLUTotal},
    {RunMode::kReport, &Settings::clerk_total, DataFile::kF29, false, ReportLayout::kMGTotal},
    {RunMode::kReport, &Settings::store_total, DataFile::kF46, false, ReportLayout::kMGTotal},
    {RunMode::kTransact, &Settings::transact, DataFile::kF30, true, ReportLayout::kTransact},
    {RunMode::kRTBuffer, &Settings::rt_buffer, DataFile::kF64, true, ReportLayout::kRTBuffer},
};

// The settings that switch on the fetches of a mode, for the warning when
// none does.
const char* KeysOf(RunMode mode) {
  switch (mode) {
    case RunMode::kReport: return "MGTotal=, PLUTotal=, ClerkTotal= or StoreTotal=";
    case RunMode::kTransact: return "Transact=";
    default: return "RTBuffer=";
  }
}

void Warn(const RunContext& context, const RunStatus& status) {
  if (!status.ok()) context.messages->Err(status.message() + "\n");
}

// Shows what became of a conversion that the run goes on after: the
// incomplete records on the standard output, then a report without data
// there too, and a report that could not be written on the error stream.
void ShowConversion(const RunContext& context, const ConversionStatus& status, RecordsEnd end,
                    const std::string& incoming_name) {
  common::MessageSink& messages = *context.messages;
  if (end == RecordsEnd::kIncomplete) messages.Out(IncompleteDataMessage(incoming_name) + "\n");
  switch (status.code()) {
    case ConversionResult::kNoData:
      messages.Out(status.message() + "\n");
      break;
    case ConversionResult::kReportNotCreated:
    case ConversionResult::kReportNotWritten:
      messages.Err(status.message() + "\n");
      ShowCause(messages, status.cause());
      break;
    default:
      break;
  }
}

// Fetches the row's file from every scale. An incoming file an earlier run
// left is moved into the archive first, never replaced unconverted; each new
// one is kept there as soon as it has come. fresh[i] is false when the
// fetch left scale i no new incoming file.
RunStatus Fetch(const RunContext& context, const Archive& archive, const ReportRow& row,
                const std::vector<std::string>& incoming_paths, std::vector<bool>* fresh, RunOutcome* outcome) {
  platform::Env& env = *context.env;
  const std::size_t count = context.scales.size();
  for (const std::string& path : incoming_paths) {
    if (RunStatus kept = archive.KeepLeftover(path); !kept.ok()) return kept;
  }
  // A fetch that fails before the transfer program opens the incoming file
  // leaves the file as it was: its identity tells it from a fresh one, so
  // old totals are never reported as new.
  std::vector<platform::FileIdentity> before(count);
  for (std::size_t i = 0; i < count; ++i) before[i] = env.Stat(incoming_paths[i]).identity;
  const std::vector<LaunchStatus> fetched = RunTransfer(context, row.file, context.scales);
  for (std::size_t i = 0; i < count; ++i) {
    if (!fetched[i].ok()) {
      outcome->report_incomplete = true;
      outcome->ScaleFailed(i, std::string(common::DataFileArgument(row.file)) + ": " + fetched[i].message());
    }
    const platform::FileIdentity after = env.Stat(incoming_paths[i]).identity;
    (*fresh)[i] = after.exists && !(after == before[i]);
    if ((*fresh)[i]) Warn(context, archive.KeepCopy(incoming_paths[i]));
  }
  return RunStatus::Ok();
}

// Converts scale i's incoming file of the row into its report. A missing,
// stale or unreadable incoming file ends a run of one scale; with several
// it fails that scale's report, named in a cause line, and the run goes on.
RunStatus Convert(const RunContext& context, const Archive& archive, const ReportRow& row, std::size_t i,
                  bool fresh, RunOutcome* outcome) {
  const std::string& scale = context.scales[i];
  const std::string incoming_name = common::ConverterFileName(scale, row.file);
  // The earlier run's report goes whatever this fetch brought.
  const std::string report_name = ReportFileName(context.settings.*row.key, scale);
  const std::string report_path = platform::JoinPath(context.working_directory, report_name);
  (void)context.env->Remove(report_path);
  RunStatus fatal;
  const ReportHeader header = context.settings.report_header != 0 ? ReportHeader::kColumnNames : ReportHeader::kNone;
  RecordsEnd end = RecordsEnd::kEndReply;
  if (!fresh) {
    fatal = IncomingMissing().As(RunFailure::kReport).WithCause(
        std::string("the fetch of ") + common::DataFileArgument(row.file) + " from scale " + scale +
        " brought no file " + incoming_name);
  } else if (const ConversionStatus status = ConvertReport(*context.env, context.working_directory, report_name,
                                                           incoming_name, context.separator, row.layout, header, &end);
             IsFatal(status)) {
    fatal = status.As(RunFailure::kReport);
  } else {
    ShowConversion(context, status, end, incoming_name);
    if (!status.ok()) {
      outcome->report_incomplete = true;
      outcome->ScaleFailed(i, report_name + ": " + status.message());
    }
    Warn(context, archive.KeepCopy(report_path, scale + "-"));
    return RunStatus::Ok();
  }
  if (context.scales.size() == 1) return fatal;
  ShowCause(*context.messages, fatal.cause());
  outcome->report_incomplete = true;
  outcome->ScaleFailed(i, report_name + ": " + fatal.cause());
  return RunStatus::Ok();
}

}  // namespace

RunStatus RunRetrievalMode(const RunContext& context, RunOutcome* outcome) {
  const Archive archive(context);
  bool any = false;
  for (const ReportRow& row : kReportRows) {
    if (row.mode != context.mode) continue;
    const std::string& value = context.settings.*row.key;
    if (value.empty()) continue;
    any = true;
    std::vector<std::string> incoming_paths;
    for (const std::string& scale : context.scales) incoming_paths.push_back(ScaleFilePath(context, scale, row.file));
    std::vector<bool> fresh(context.scales.size(), true);
    if (context.fetch) {
      if (RunStatus status = Fetch(context, archive, row, incoming_paths, &fresh, outcome); !status.ok()) {
        return status;
      }
    }
    if (!row.converted) continue;
    for (std::size_t i = 0; i < context.scales.size(); ++i) {
      if (RunStatus status = Convert(context, archive, row, i, fresh[i], outcome); !status.ok()) return status;
    }
  }
  if (!any) {
    context.messages->Err(std::string("Nothing to fetch: name the report file with ") + KeysOf(context.mode) +
                          " in velkocon.ini.\n");
  }
  return RunStatus::Ok();
}

}  // namespace converter
