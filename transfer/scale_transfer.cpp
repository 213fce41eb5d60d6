#include "transfer/scale_transfer.h"

#include <memory>

#include "transfer/conversations.h"
#include "transfer/progress.h"
#include "transfer/transfer_files.h"
#include "transfer/transfer_kinds.h"

namespace transfer {
namespace {

using common::TransferResult;
using common::TransferStatus;

std::string Place(const std::string& host, int port) { return port > 0 ? host + ":" + std::to_string(port) : host; }

ReadLimits Limits(const RunSettings& settings) {
  ReadLimits limits;
  limits.max_records = settings.max_records;
  limits.max_bytes = settings.max_bytes;
  limits.max_seconds = settings.max_seconds;
  return limits;
}

TransferStatus RunConversation(Conversation& conversation, const TransferPlan& plan,
                               const common::TransferNames& names, const RunSettings& settings) {
  switch (plan.kind) {
    case TransferKind::kRecordLoad:
      return Load(conversation, LoadKind::kRecords, plan.file_code, names.outgoing);
    case TransferKind::kKeyLoad:
      return Load(conversation, LoadKind::kKeys, plan.file_code, names.outgoing);
    case TransferKind::kFilePacket:
      return FileCommand(conversation);
    case TransferKind::kPlainRead:
      return PlainRead(conversation, plan.file_code, names.incoming, Limits(settings));
    case TransferKind::kPairedRead:
      return PairedRead(conversation, plan.file_code, names.incoming, Limits(settings));
    case TransferKind::kNone:
      break;
  }
  // Nothing to exchange: the connection stays open until the program ends.
  conversation.connection.Release();
  return TransferStatus::Ok();
}

// The messages of a connection that failed: where it failed with the socket
// error number, then the failure's number in hex.
void ShowConnectFailure(const ConnectStatus& status, common::MessageSink& messages) {
  if (status.code() == ConnectFailure::kRefused) {
    messages.Print(common::Stream::kOut, "Connect error %d", status.system_error());
  } else if (status.code() == ConnectFailure::kNoSocket || status.code() == ConnectFailure::kLookupFailed) {
    messages.Print(common::Stream::kOut, "Error %d", status.system_error());
  }
  messages.Print(common::Stream::kOut, "\nConnection error %x\n",
                 static_cast<unsigned>(ConnectFailureNumber(status.code())));
}

}  // namespace

bool IsUsableScaleArgument(const std::string& scale_argument) {
  return !scale_argument.empty() && scale_argument.find_first_of("/\\") == std::string::npos;
}

ScaleOutcome TransferToScale(const ScaleTransferSetup& setup, const std::string& scale_argument,
                             const std::string& file_argument) {
  ScaleOutcome outcome;
  outcome.scale = "scale " + scale_argument;
  if (!IsUsableScaleArgument(scale_argument)) {
    outcome.status = TransferStatus::Error(TransferResult::kNoConnection, "the scale argument names no scale");
    return outcome;
  }
  const common::TransferMode mode = setup.settings.mode;
  const TransferPlan plan = PlanForFileNumber(FileNumber(file_argument));
  const common::TransferNames names = common::MakeTransferNames(scale_argument, file_argument, mode);
  const ScaleLocation location = FindScale(scale_argument, mode);

  int handle = -1;
  int port = location.port;
  const ConnectStatus connected = setup.connections.Connect(location.host, location.port, &handle, &port);
  outcome.place = Place(location.host, port);
  outcome.scale = "scale " + scale_argument + " (" + outcome.place + ")";
  if (!connected.ok()) {
    ShowConnectFailure(connected, setup.messages);
    outcome.status = connected.As(TransferResult::kNoConnection);
    return outcome;
  }
  OpenConnection connection(setup.connections, handle, outcome.scale);
  std::unique_ptr<Progress> progress = setup.board != nullptr ? setup.board->Add(scale_argument)
                                      : setup.progress_line ? std::make_unique<ProgressLine>(setup.messages, outcome.scale)
                                                            : std::make_unique<Progress>();
  Conversation conversation{setup.env, connection, setup.messages, *progress};
  outcome.status = RunConversation(conversation, plan, names, setup.settings);
  outcome.records = progress->done();
  return outcome;
}

}  // namespace transfer
