#include "transfer/scale_transfer.h"

#include <memory>

#include "transfer/conversations.h"
#include "transfer/progress.h"
#include "transfer/results.h"
#include "transfer/transfer_files.h"
#include "transfer/transfer_kinds.h"

namespace transfer {
namespace {

std::string Place(const std::string& host, int port) { return port > 0 ? host + ":" + std::to_string(port) : host; }

common::Status RunConversation(OpenConnection& connection, const TransferPlan& plan, const TransferNames& names,
                               const RunSettings& settings, Progress& progress, int* value) {
  switch (plan.kind) {
    case TransferKind::kRecordLoad:
      return Load(connection, LoadKind::kRecords, plan.file_code, names.outgoing, progress, value);
    case TransferKind::kKeyLoad:
      return Load(connection, LoadKind::kKeys, plan.file_code, names.outgoing, progress, value);
    case TransferKind::kFileCommand:
      return FileCommand(connection, value);
    case TransferKind::kPlainRead:
      return ReadRecords(connection, plan.file_code, names.incoming, false, settings.max_records, progress, value);
    case TransferKind::kPairedRead:
      return ReadRecords(connection, plan.file_code, names.incoming, true, settings.max_records, progress, value);
    case TransferKind::kNone:
      break;
  }
  // Nothing to exchange: the connection stays open until the program ends.
  *value = connection.Release();
  return common::Status::Ok();
}

}  // namespace

bool IsUsableScaleArgument(const std::string& scale_argument) {
  return !scale_argument.empty() && scale_argument.find_first_of("/\\") == std::string::npos;
}

ScaleOutcome TransferToScale(ConnectionTable& connections, const RunSettings& settings,
                             const std::string& scale_argument, const std::string& file_argument,
                             bool show_progress) {
  ScaleOutcome outcome;
  outcome.scale = "scale " + scale_argument;
  if (!IsUsableScaleArgument(scale_argument)) {
    outcome.status = common::Status::Error(kResultNoConnection, "the scale argument names no scale");
    return outcome;
  }
  const TransferPlan plan = PlanForFileNumber(FileNumber(file_argument));
  const TransferNames names = MakeTransferNames(scale_argument, file_argument, settings.mode);
  const ScaleLocation location = FindScale(scale_argument, settings.mode);

  int handle = -1;
  int port = location.port;
  common::Status connected = connections.Connect(location.host, kTcpProtocolName, location.port, &handle, &port);
  outcome.place = Place(location.host, port);
  outcome.scale = "scale " + scale_argument + " (" + outcome.place + ")";
  if (!connected.ok()) {
    connections.messages().Print(common::Stream::kOut, "\nConnection error %x\n",
                                 static_cast<unsigned>(connected.code()));
    outcome.status = common::Status::Error(kResultNoConnection, connected.message());
    return outcome;
  }
  OpenConnection connection(connections, handle, outcome.scale);
  std::unique_ptr<Progress> progress = show_progress
                                           ? std::make_unique<ProgressLine>(connections.messages(), outcome.scale)
                                           : std::make_unique<Progress>();
  outcome.status = RunConversation(connection, plan, names, settings, *progress, &outcome.value);
  outcome.records = progress->done();
  return outcome;
}

}  // namespace transfer
