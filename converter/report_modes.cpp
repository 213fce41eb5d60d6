#include "converter/report_modes.h"

#include <string>

#include "common/scale_file_names.h"
#include "converter/report_conversion.h"
#include "converter/transfer_launcher.h"
#include "platform/files.h"

namespace converter {
namespace {

using common::DataFile;

// One fetch of a retrieval mode. The settings key's value switches it on
// and, for a row with a layout, names the report file.
struct ReportRow {
  RunMode mode;
  std::string Settings::*key;
  DataFile file;
  bool converted;  // false: fetched only
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

}  // namespace

common::Status RunRetrievalMode(const RunContext& context, RunOutcome* outcome) {
  for (const ReportRow& row : kReportRows) {
    if (row.mode != context.mode) continue;
    const std::string& report_name = context.settings.*row.key;
    if (report_name.empty()) continue;
    if (!row.converted) {
      RunTransfer(context, row.file);
      continue;
    }

    // A fetch that fails before the transfer program opens the incoming
    // file leaves an earlier run's file behind. Its identity tells it from
    // a fresh one, so old totals are never reported as new.
    std::string incoming_name = common::ConverterFileName(context.scale_identifier, row.file);
    std::string incoming_path = platform::JoinPath(context.working_directory, incoming_name);
    platform::FileIdentity before = platform::IdentifyFile(incoming_path);
    RunTransfer(context, row.file);
    platform::FileIdentity after = platform::IdentifyFile(incoming_path);

    // The earlier run's report goes whatever this fetch brought.
    (void)platform::DeleteFile(platform::JoinPath(context.working_directory, report_name));
    if (after == before) return common::Status::Error(kFailureReport, IncomingMissing().message());

    common::Status status = ConvertReport(context.working_directory, report_name, incoming_name, context.separator,
                                          row.layout, *context.messages);
    if (IsFatal(status)) return common::Status::Error(kFailureReport, status.message());
    if (!status.ok()) outcome->report_incomplete = true;
  }
  return common::Status::Ok();
}

}  // namespace converter
