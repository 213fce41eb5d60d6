#include "converter/report_modes.h"

#include <memory>
#include <string>
#include <vector>

#include "common/scale_file_names.h"
#include "common/transfer_contract.h"
#include "converter/archive.h"
#include "converter/pending_records.h"
#include "converter/report_conversion.h"
#include "converter/report_names.h"
#include "converter/scale_file.h"
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
  bool clears;     // the fetch clears what it reads at the scale
  ReportLayout layout;
};

// The rows in the order the modes work through them.
const ReportRow kReportRows[] = {
    {RunMode::kReport, &Settings::mg_total, DataFile::kF24, true, true, ReportLayout::kMGTotal},
    {RunMode::kReport, &Settings::plu_total, DataFile::kF26, true, true, ReportLayout::kPLUTotal},
    {RunMode::kReport, &Settings::clerk_total, DataFile::kF29, false, true, ReportLayout::kMGTotal},
    {RunMode::kReport, &Settings::store_total, DataFile::kF46, false, true, ReportLayout::kMGTotal},
    {RunMode::kTransact, &Settings::transact, DataFile::kF30, true, true, ReportLayout::kTransact},
    {RunMode::kRTBuffer, &Settings::rt_buffer, DataFile::kF64, true, false, ReportLayout::kRTBuffer},
};

// The most of an incoming file that is read whole: the records of a read
// at its largest.
constexpr std::size_t kMaxIncomingText = std::size_t{1} << 30;

// The option word of a retrieval mode, for the command a message names.
const char* OptionOf(RunMode mode) {
  switch (mode) {
    case RunMode::kReport: return "-Report";
    case RunMode::kTransact: return "-Transact";
    default: return "-RTBuffer";
  }
}

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

// What one scale's fetch of a row works with.
struct ScaleFetch {
  std::string incoming_name;
  std::string incoming_path;
  std::unique_ptr<PendingRecords> pending;  // for a row whose fetch clears and is converted
  bool fresh = true;                        // the fetch left a new incoming file
  // The fetch may have ended at a key packet that went unanswered, whose
  // record is the last of the incoming file: whether it was cleared, the
  // next fetch tells.
  bool last_unsure = false;
};

// True if a failed fetch may have ended at an unanswered key packet: the
// transfer program recorded a key packet without reply (-3, which a full
// disk shares) or a request not sent (-7), or it did not end as it should.
bool MayEndAtAKeyPacket(const LaunchStatus& fetched) {
  if (fetched.ok()) return false;
  if (fetched.code() != LaunchResult::kScaleFailed) return true;
  const int number = fetched.system_error();
  return number == common::ResultNumber(common::TransferResult::kKeyReplyOrWriteFailed) ||
         number == common::ResultNumber(common::TransferResult::kSendFailed) || number == 0;
}

// The records of an incoming file that an earlier run left unreported join
// the pending ones before the fetch replaces it. A failure names the file
// and the command that turns it into its report.
RunStatus KeepLeftover(const RunContext& context, const std::string& scale, ScaleFetch* fetch) {
  platform::Env& env = *context.env;
  const platform::FileInfo info = env.Stat(fetch->incoming_path);
  if (!info.exists || info.folder || fetch->pending->Reported(info.identity) || fetch->pending->Taken(info.identity)) {
    return RunStatus::Ok();
  }
  std::string text;
  platform::SystemStatus kept = platform::ReadWholeFile(env, fetch->incoming_path, kMaxIncomingText, &text);
  if (kept.ok()) {
    fetch->pending->TakeLeftover(info.identity, text);
    kept = fetch->pending->Save();
  }
  if (kept.ok()) return RunStatus::Ok();
  return kept.As(RunFailure::kReport, "Could not keep the records of " + fetch->incoming_name)
      .WithCause(fetch->incoming_name + " holds records cleared at scale " + scale +
                 " that no report holds yet, and they cannot be kept for this run's report (" + kept.message() +
                 "): nothing was fetched; VelkoCon " + scale + " " + OptionOf(context.mode) +
                 " -NoFetch turns the file into its report");
}

// Fetches the row's file from every scale. An incoming file an earlier run
// left is moved into the archive first, never replaced unconverted, and its
// records that no report holds wait for this run's report; each new one is
// kept there as soon as it has come.
RunStatus Fetch(const RunContext& context, const Archive& archive, const ReportRow& row,
                std::vector<ScaleFetch>* fetches, RunOutcome* outcome) {
  platform::Env& env = *context.env;
  const std::size_t count = context.scales.size();
  for (std::size_t i = 0; i < count; ++i) {
    ScaleFetch& fetch = (*fetches)[i];
    if (fetch.pending != nullptr) {
      if (RunStatus kept = KeepLeftover(context, context.scales[i], &fetch); !kept.ok()) return kept;
    }
    if (RunStatus kept = archive.KeepLeftover(fetch.incoming_path); !kept.ok()) return kept;
  }
  // A fetch that fails before the transfer program opens the incoming file
  // leaves the file as it was: its identity tells it from a fresh one, so
  // old totals are never reported as new.
  std::vector<platform::FileIdentity> before(count);
  for (std::size_t i = 0; i < count; ++i) before[i] = env.Stat((*fetches)[i].incoming_path).identity;
  const std::vector<LaunchStatus> fetched = RunTransfer(context, row.file, context.scales);
  for (std::size_t i = 0; i < count; ++i) {
    ScaleFetch& fetch = (*fetches)[i];
    if (!fetched[i].ok()) {
      outcome->report_incomplete = true;
      outcome->ScaleFailed(i, std::string(common::DataFileArgument(row.file)) + ": " + fetched[i].message());
    }
    fetch.last_unsure = MayEndAtAKeyPacket(fetched[i]);
    const platform::FileIdentity after = env.Stat(fetch.incoming_path).identity;
    fetch.fresh = after.exists && !(after == before[i]);
    if (!fetch.fresh) continue;
    // What the scale cleared is in the archive before anything else.
    if (RunStatus kept = archive.KeepCopy(fetch.incoming_path); !kept.ok()) {
      Warn(context, kept);
      outcome->report_incomplete = true;
      outcome->ScaleFailed(i, kept.message());
    }
    std::string text;
    if (fetch.pending != nullptr && fetch.pending->has_unsure() &&
        platform::ReadWholeFile(env, fetch.incoming_path, kMaxIncomingText, &text).ok()) {
      fetch.pending->Settle(text);
    }
  }
  return RunStatus::Ok();
}

// Converts scale i's records of the row (those waiting from earlier fetches,
// then the incoming file's) into its report. A missing, stale or unreadable
// incoming file with nothing waiting ends a run of one scale; with several
// it fails that scale's report, named in a cause line, and the run goes on.
RunStatus Convert(const RunContext& context, const Archive& archive, const ReportRow& row, std::size_t i,
                  ScaleFetch& fetch, RunOutcome* outcome) {
  const std::string& scale = context.scales[i];
  // The earlier run's report goes whatever this fetch brought.
  const std::string report_name = ReportFileName(context.settings.*row.key, scale);
  const std::string report_path = platform::JoinPath(context.working_directory, report_name);
  (void)context.env->Remove(report_path);
  ReportInput input;
  if (fetch.pending != nullptr) input.earlier = fetch.pending->cleared();
  if (fetch.fresh) input.incoming_name = fetch.incoming_name;
  // A fetch cut short at a key packet that went unanswered: its record
  // waits until the next fetch tells whether the scale cleared it. Totals
  // cannot wait for that (see settles_by_key): they are reported now, and
  // the operator learns that the next report may count them again.
  input.hold_back_last = fetch.last_unsure && fetch.pending != nullptr && fetch.pending->settles_by_key();
  RunStatus fatal;
  const ReportHeader header = context.settings.report_header != 0 ? ReportHeader::kColumnNames : ReportHeader::kNone;
  RecordsEnd end = RecordsEnd::kEndReply;
  std::string held_back;
  if (!fetch.fresh && input.earlier.empty()) {
    fatal = IncomingMissing().As(RunFailure::kReport).WithCause(
        std::string("the fetch of ") + common::DataFileArgument(row.file) + " from scale " + scale +
        " brought no file " + fetch.incoming_name);
  } else if (const ConversionStatus status = ConvertReport(*context.env, context.working_directory, report_name,
                                                           input, context.separator, row.layout, header, &end,
                                                           &held_back);
             IsFatal(status)) {
    fatal = status.As(RunFailure::kReport);
  } else {
    ShowConversion(context, status, end, fetch.incoming_name);
    if (!status.ok()) {
      outcome->report_incomplete = true;
      outcome->ScaleFailed(i, report_name + ": " + status.message());
    }
    const bool written = status.ok() || status.code() == ConversionResult::kIncomplete;
    if (written && fetch.last_unsure && fetch.fresh && fetch.pending != nullptr && !fetch.pending->settles_by_key()) {
      ShowCause(*context.messages, "scale " + scale + " did not answer whether it cleared the last record of " +
                                       fetch.incoming_name + "; it is in " + report_name +
                                       ", and should the scale have kept it, the next report counts its totals again");
    }
    if (written && fetch.pending != nullptr) {
      fetch.pending->ReportWritten(context.env->Stat(fetch.incoming_path).identity, held_back);
      if (platform::SystemStatus saved = fetch.pending->Save(); !saved.ok()) {
        // The report is whole; the next one would hold its records again.
        return saved.As(RunFailure::kReport, "Could not write file.")
            .WithCause("cannot write " + FileNameOf(fetch.pending->path()) + ": " + saved.message() +
                       "; the next report of scale " + scale + " would repeat the records of " + report_name);
      }
    }
    if (RunStatus kept = archive.KeepCopy(report_path, scale + "-"); !kept.ok()) {
      Warn(context, kept);
      outcome->report_incomplete = true;
      outcome->ScaleFailed(i, kept.message());
    }
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
    std::vector<ScaleFetch> fetches(context.scales.size());
    for (std::size_t i = 0; i < context.scales.size(); ++i) {
      ScaleFetch& fetch = fetches[i];
      fetch.incoming_name = common::ConverterFileName(context.scales[i], row.file);
      fetch.incoming_path = platform::JoinPath(context.working_directory, fetch.incoming_name);
      if (!row.converted || !row.clears) continue;
      fetch.pending = std::make_unique<PendingRecords>(*context.env, fetch.incoming_path, row.layout);
      if (platform::SystemStatus loaded = fetch.pending->Load(); !loaded.ok()) {
        return loaded.As(RunFailure::kReport, "File error")
            .WithCause("cannot read " + FileNameOf(fetch.pending->path()) + ": " + loaded.message());
      }
    }
    if (context.fetch) {
      if (RunStatus status = Fetch(context, archive, row, &fetches, outcome); !status.ok()) return status;
    } else {
      // The records of an incoming file already taken in wait among the
      // pending ones: the file is not converted a second time.
      for (ScaleFetch& fetch : fetches) {
        if (fetch.pending == nullptr || fetch.pending->cleared().empty()) continue;
        fetch.fresh = !fetch.pending->Taken(context.env->Stat(fetch.incoming_path).identity);
      }
    }
    if (!row.converted) continue;
    for (std::size_t i = 0; i < context.scales.size(); ++i) {
      if (RunStatus status = Convert(context, archive, row, i, fetches[i], outcome); !status.ok()) return status;
    }
  }
  if (!any) {
    context.messages->Err(std::string("Nothing to fetch: name the report file with ") + KeysOf(context.mode) +
                          " in velkocon.ini.\n");
  }
  return RunStatus::Ok();
}

}  // namespace converter
