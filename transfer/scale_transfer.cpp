#include "transfer/scale_transfer.h"

#include <cstdio>

#include "transfer/conversations.h"
#include "transfer/results.h"
#include "transfer/transfer_files.h"
#include "transfer/transfer_kinds.h"

namespace transfer {

bool IsUsableScaleArgument(const std::string& scale_argument) {
  return !scale_argument.empty() && scale_argument.find_first_of("/\\") == std::string::npos;
}

int TransferToScale(ConnectionTable& connections, TransferMode mode, const std::string& scale_argument,
                    const std::string& file_argument) {
  if (!IsUsableScaleArgument(scale_argument)) return kResultNoConnection;
  const TransferPlan plan = PlanForFileNumber(FileNumber(file_argument));
  const TransferNames names = MakeTransferNames(scale_argument, file_argument, mode);
  const ScaleLocation location = FindScale(scale_argument, mode);

  const int handle = connections.Connect(location.host, kTcpProtocolName, location.port);
  if (handle < 0) {
    std::printf("\nConnection error %x\n", static_cast<unsigned>(handle));
    return kResultNoConnection;
  }
  switch (plan.kind) {
    case TransferKind::kRecordLoad:
      return RecordLoad(connections, handle, plan.file_code, names.outgoing);
    case TransferKind::kKeyLoad:
      return KeyLoad(connections, handle, plan.file_code, names.outgoing);
    case TransferKind::kFileCommand:
      return FileCommand(connections, handle);
    case TransferKind::kPlainRead:
      return ReadRecords(connections, handle, plan.file_code, names.incoming, false);
    case TransferKind::kPairedRead:
      return ReadRecords(connections, handle, plan.file_code, names.incoming, true);
    case TransferKind::kNone:
      break;
  }
  // Nothing to exchange: the connection stays open until the program ends.
  return handle;
}

}  // namespace transfer
