#include "converter/report_modes.h"

#include <string>

#include "converter/report_conversion.h"
#include "converter/transfer_launcher.h"
#include "platform/files.h"

namespace converter {
namespace {

// One fetch of a retrieval mode. The settings key's value switches it on
// and, for a row with an incoming file, names the report file.
struct ReportRow {
  RunMode mode;
  std::string Settings::*key;
  const char* data_file_name;    // for the transfer program
  const char* incoming_suffix;   // after the per-scale prefix; null: fetched only
  ReportLayout layout;
};

// The rows in the order the modes work through them.
const ReportRow kReportRows[] = {
    {RunMode::kReport, &Settings::mg_total, "F24.DAT", "t24.dat", ReportLayout::kMGTotal},
    {RunMode::kReport, &Settings::plu_total, "F26.DAT", "t26.dat", ReportLayout::kPLUTotal},
    {RunMode::kReport, &Settings::clerk_total, "F29.DAT", nullptr, ReportLayout::kMGTotal},
    {RunMode::kReport, &Settings::store_total, "F46.DAT", nullptr, ReportLayout::kMGTotal},
    {RunMode::kTransact, &Settings::transact, "F30.DAT", "t30.dat", ReportLayout::kTransact},
    {RunMode::kRTBuffer, &Settings::rt_buffer, "F64.DAT", "t64.dat", ReportLayout::kRTBuffer},
};

}  // namespace

int RunRetrievalMode(const RunContext& context) {
  int exit_code = kExitOk;
  for (const ReportRow& row : kReportRows) {
    if (row.mode != context.mode) continue;
    const std::string& report_name = context.settings.*row.key;
    if (report_name.empty()) continue;
    if (row.incoming_suffix == nullptr) {
      RunTransfer(context, row.data_file_name);
      continue;
    }

    // A fetch that fails before the transfer program opens the incoming
    // file leaves an earlier run's file behind. Its identity tells it from
    // a fresh one, so old totals are never reported as new.
    std::string incoming_name = context.prefix + row.incoming_suffix;
    std::string incoming_path = platform::JoinPath(context.working_directory, incoming_name);
    platform::FileIdentity before = platform::IdentifyFile(incoming_path);
    RunTransfer(context, row.data_file_name);
    platform::FileIdentity after = platform::IdentifyFile(incoming_path);

    // The earlier run's report goes whatever this fetch brought.
    platform::DeleteFile(platform::JoinPath(context.working_directory, report_name));
    if (after == before) {
      PrintIncomingMissing();
      return kExitReportFailed;
    }

    ConversionResult result =
        ConvertReport(context.working_directory, report_name, incoming_name, context.separator, row.layout);
    if (IsFatal(result)) return kExitReportFailed;
    if (result != ConversionResult::kConverted) exit_code = kExitReportFailed;
  }
  PrintBanner();
  return exit_code;
}

}  // namespace converter
