#include "transfer/scale_transfer.h"

#include "transfer/conversations.h"
#include "transfer/results.h"
#include "transfer/transfer_files.h"
#include "transfer/transfer_kinds.h"

namespace transfer {

bool IsUsableScaleArgument(const std::string& scale_argument) {
  return !scale_argument.empty() && scale_argument.find_first_of("/\\") == std::string::npos;
}

common::Status TransferToScale(ConnectionTable& connections, const RunSettings& settings,
                               const std::string& scale_argument, const std::string& file_argument, int* value) {
  const TransferMode mode = settings.mode;
  if (!IsUsableScaleArgument(scale_argument)) {
    return common::Status::Error(kResultNoConnection, "the scale argument names no scale");
  }
  const TransferPlan plan = PlanForFileNumber(FileNumber(file_argument));
  const TransferNames names = MakeTransferNames(scale_argument, file_argument, mode);
  const ScaleLocation location = FindScale(scale_argument, mode);

  int handle = -1;
  int port = location.port;
  common::Status connected = connections.Connect(location.host, kTcpProtocolName, location.port, &handle, &port);
  if (!connected.ok()) {
    connections.messages().Print(common::Stream::kOut, "\nConnection error %x\n",
                                 static_cast<unsigned>(connected.code()));
    return common::Status::Error(kResultNoConnection, connected.message());
  }
  OpenConnection connection(connections, handle,
                            "scale " + scale_argument + " (" + location.host + ":" + std::to_string(port) + ")");
  switch (plan.kind) {
    case TransferKind::kRecordLoad:
      return Load(connection, LoadKind::kRecords, plan.file_code, names.outgoing, value);
    case TransferKind::kKeyLoad:
      return Load(connection, LoadKind::kKeys, plan.file_code, names.outgoing, value);
    case TransferKind::kFileCommand:
      return FileCommand(connection, value);
    case TransferKind::kPlainRead:
      return ReadRecords(connection, plan.file_code, names.incoming, false, settings.max_records, value);
    case TransferKind::kPairedRead:
      return ReadRecords(connection, plan.file_code, names.incoming, true, settings.max_records, value);
    case TransferKind::kNone:
      break;
  }
  // Nothing to exchange: the connection stays open until the program ends.
  *value = connection.Release();
  return common::Status::Ok();
}

}  // namespace transfer
