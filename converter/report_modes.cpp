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

// Fetches the row's file. An incoming file an earlier run left is moved into
// the archive first, never replaced unconverted; the new one is kept there as
// soon as it has come. False in *fresh when the fetch left no new incoming
// file.
RunStatus Fetch(const RunContext& context, const Archive& archive, const ReportRow& row,
                     const std::string& incoming_path, bool* fresh, RunOutcome* outcome) {
  if (RunStatus kept = archive.KeepLeftover(incoming_path); !kept.ok()) return kept;
  // A fetch that fails before the transfer program opens the incoming file
  // leaves the file as it was: its identity tells it from a fresh one, so
  // old totals are never reported as new.
  const platform::FileIdentity before = context.env->Stat(incoming_path).identity;
  if (!RunTransfer(context, row.file).ok()) outcome->report_incomplete = true;
  const platform::FileIdentity after = context.env->Stat(incoming_path).identity;
  *fresh = after.exists && !(after == before);
  if (*fresh) Warn(context, archive.KeepCopy(incoming_path));
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
    const std::string incoming_name = common::ConverterFileName(context.scale_identifier, row.file);
    const std::string incoming_path = platform::JoinPath(context.working_directory, incoming_name);
    bool fresh = true;
    if (context.fetch) {
      if (RunStatus status = Fetch(context, archive, row, incoming_path, &fresh, outcome); !status.ok()) {
        return status;
      }
    }
    if (!row.converted) continue;

    // The earlier run's report goes whatever this fetch brought.
    const std::string report_name = ReportFileName(value, context.scale_identifier);
    const std::string report_path = platform::JoinPath(context.working_directory, report_name);
    (void)context.env->Remove(report_path);
    if (!fresh) {
      return IncomingMissing().As(RunFailure::kReport).WithCause(
          std::string("the fetch of ") + common::DataFileArgument(row.file) + " from scale " +
          context.scale_identifier + " brought no file " + incoming_name);
    }

    const ReportHeader header = context.settings.report_header != 0 ? ReportHeader::kColumnNames : ReportHeader::kNone;
    RecordsEnd end = RecordsEnd::kEndReply;
    const ConversionStatus status = ConvertReport(*context.env, context.working_directory, report_name, incoming_name,
                                                  context.separator, row.layout, header, &end);
    if (IsFatal(status)) return status.As(RunFailure::kReport);
    ShowConversion(context, status, end, incoming_name);
    if (!status.ok()) outcome->report_incomplete = true;
    Warn(context, archive.KeepCopy(report_path, context.scale_identifier + "-"));
  }
  if (!any) {
    context.messages->Err(std::string("Nothing to fetch: name the report file with ") + KeysOf(context.mode) +
                          " in velkocon.ini.\n");
  }
  return RunStatus::Ok();
}

}  // namespace converter
