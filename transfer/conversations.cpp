#include "transfer/conversations.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/owned_file.h"
#include "platform/files.h"
#include "transfer/results.h"
#include "transfer/transfer_files.h"

namespace transfer {
namespace {

constexpr std::size_t kPacketHeaderBytes = 2;
constexpr std::size_t kKeyPacketBytes = kPacketHeaderBytes + kKeyBytes;

using common::Status;
using common::Stream;

common::MessageSink& MessagesOf(const OpenConnection& connection) { return connection.table().messages(); }

// What became of one request: whether it was sent, and what its receive
// gave (the count; 0 when the scale closed the connection; kReceiveFailed).
struct Reply {
  Status send;
  long count = 0;
  int socket_error = 0;
  bool arrived() const { return send.ok() && count > 0; }
};

// Sends a request and receives its reply. A send that failed is followed by
// the receive all the same: the state of the connection shows there (an
// unconnected socket or a reset connection fails its receive at once), and a
// reply that comes all the same does not make the request sent.
Reply Exchange(OpenConnection& connection, const std::uint8_t* packet, std::size_t length, std::uint8_t* reply,
               std::size_t capacity) {
  Reply result;
  result.send = connection.Send(packet, length);
  result.count = connection.Receive(reply, capacity, &result.socket_error);
  return result;
}

// Why a reply is missing, in words, with how far the conversation got.
std::string MissingReplyText(const OpenConnection& connection, const Reply& reply, const std::string& progress) {
  if (reply.count == 0) return "closed the connection " + progress;
  if (reply.count < 0 && reply.socket_error == platform::kSocketErrorTimedOut) {
    return "no reply within " + std::to_string(connection.table().reply_wait_ms() / 1000) + " s " + progress;
  }
  if (reply.count < 0) return SocketErrorText(reply.socket_error) + " " + progress;
  return reply.send.message() + " " + progress;
}

// Ends a conversation whose reply is missing: "Nread control %d\n" with what
// the receive gave, and the failure with code; a request that could not be
// sent but was answered all the same fails with kResultSendFailed.
Status ReplyMissing(OpenConnection& connection, const Reply& reply, int code, const std::string& progress) {
  std::string cause = MissingReplyText(connection, reply, progress);
  if (reply.count > 0) return Status::Error(kResultSendFailed, cause);
  MessagesOf(connection).Print(Stream::kOut, "Nread control %ld\n", reply.count);
  return Status::Error(code, cause);
}

std::string Progress(const char* what, long done, long total) {
  return "after " + std::to_string(done) + " of " + std::to_string(total) + " " + what;
}

void FillKeyPacket(std::uint8_t* packet, std::uint8_t command, std::uint8_t file_code, const std::uint8_t* key) {
  packet[0] = command;
  packet[1] = file_code;
  std::memcpy(packet + kPacketHeaderBytes, key, kKeyBytes);
}

// Opens an outgoing file and checks it. Not open (after the message) when it
// cannot be opened or is not well formed.
common::OwnedFile OpenCheckedOutgoingFile(OpenConnection& connection, LoadKind kind, const std::string& name,
                                          long* text_length, long* items, Status* status) {
  common::MessageSink& messages = MessagesOf(connection);
  common::OwnedFile file(std::fopen(platform::ResolveName(name).c_str(), "rb"));
  if (!file.is_open()) {
    const int error = errno;
    if (kind == LoadKind::kRecords) {
      messages.Print(Stream::kOut, "\nfopen %s failed err = %d\n", name.c_str(), error);
    } else {
      messages.Print(Stream::kOut, "\nfopen %s failed\n", name.c_str());
    }
    *status = Status::Error(kResultFileUnusable, "the file " + name + " cannot be opened (" + std::strerror(error) + ")");
    return file;
  }
  const OutgoingFormat format = kind == LoadKind::kRecords ? OutgoingFormat::kRecords : OutgoingFormat::kKeys;
  long bad_offset = 0;
  if (!CheckOutgoingFile(file.get(), format, text_length, &bad_offset, items) ||
      std::fseek(file.get(), 0, SEEK_SET) != 0) {
    messages.Print(Stream::kOut, "\nBad record file %s at offset %ld\n", name.c_str(), bad_offset);
    *status = Status::Error(kResultFileUnusable,
                            "the file " + name + " is not well formed at offset " + std::to_string(bad_offset));
    return common::OwnedFile();
  }
  return file;
}

}  // namespace

bool IsEndReply(std::uint8_t first_byte) { return first_byte >= 0xE0 && first_byte <= 0xE2; }

Status Load(OpenConnection& connection, LoadKind kind, std::uint8_t file_code, const std::string& outgoing_name,
            int* last_reply) {
  long text_length = 0, total = 0;
  Status status;
  common::OwnedFile file = OpenCheckedOutgoingFile(connection, kind, outgoing_name, &text_length, &total, &status);
  if (!file.is_open()) return status;

  const bool records = kind == LoadKind::kRecords;
  const char* what = records ? "records" : "keys";
  OutgoingReader reader(file.get(), text_length);
  std::uint8_t packet[kPacketHeaderBytes + kMaxRecordBytes];
  std::uint8_t reply[kMaxReplyBytes];
  packet[0] = records ? kRecordCommand : kKeyCommand;
  packet[1] = file_code;
  *last_reply = connection.handle();
  long done = 0;
  std::size_t length = 0;
  for (;;) {
    const bool more = records ? reader.NextRecord(packet + kPacketHeaderBytes, &length)
                              : reader.NextKey(packet + kPacketHeaderBytes);
    if (!more) break;
    if (!records) length = kKeyBytes;
    const Reply answer = Exchange(connection, packet, kPacketHeaderBytes + length, reply, sizeof reply);
    if (!answer.arrived()) {
      // A scale that closed before its reply did not take the record.
      const int code = records && answer.count != 0 ? kResultReceiveFailed : kResultNoReply;
      return ReplyMissing(connection, answer, code, Progress(what, done, total));
    }
    *last_reply = static_cast<int>(answer.count);
    ++done;
  }
  return Status::Ok();
}

Status FileCommand(OpenConnection& connection, int* last_reply) {
  const std::uint8_t packet[kPacketHeaderBytes] = {kFileCommand, kFilePacketCode};
  std::uint8_t reply[kMaxReplyBytes];
  const Reply answer = Exchange(connection, packet, sizeof packet, reply, sizeof reply);
  if (!answer.arrived()) return ReplyMissing(connection, answer, kResultNoReply, "to the file command");
  *last_reply = static_cast<int>(answer.count);
  return Status::Ok();
}

Status ReadRecords(OpenConnection& connection, std::uint8_t file_code, const std::string& incoming_name, bool paired,
                   int* last_reply) {
  common::MessageSink& messages = MessagesOf(connection);
  common::OwnedFile file(std::fopen(platform::ResolveName(incoming_name).c_str(), "wb"));
  if (!file.is_open()) {
    messages.Print(Stream::kOut, "\nfopen %s failed\n", incoming_name.c_str());
    return Status::Error(kResultFileUnusable, "the file " + incoming_name + " cannot be created");
  }
  const Status write_failed =
      Status::Error(kResultKeyReplyOrWriteFailed, "the file " + incoming_name + " did not take a reply");
  // The buffer keeps what earlier replies left: a reply shorter than a key
  // takes the rest of its key from them.
  std::uint8_t reply[kMaxReplyBytes] = {};
  std::uint8_t key_reply[kMaxReplyBytes];
  std::uint8_t key[kKeyBytes];
  std::uint8_t packet[kKeyPacketBytes];
  long records = 0;
  do {
    std::memcpy(key, reply, kKeyBytes);
    FillKeyPacket(packet, kReadCommand, file_code, key);
    const Reply answer = Exchange(connection, packet, sizeof packet, reply, sizeof reply);
    const std::string progress = "after " + std::to_string(records) + " records";
    if (!answer.arrived()) return ReplyMissing(connection, answer, kResultNoReply, progress);
    // A scale that answers with the record asked for again would keep the
    // read going for ever.
    if (records > 0 && !IsEndReply(reply[0]) && std::memcmp(reply, key, kKeyBytes) == 0) {
      return Status::Error(kResultNoReply, "handed out the same record twice " + progress);
    }
    if (!AppendReply(file.get(), reply, static_cast<std::size_t>(answer.count))) {
      messages.Out("file write error\n");
      return write_failed;
    }
    *last_reply = static_cast<int>(answer.count);
    if (paired) {
      FillKeyPacket(packet, kKeyCommand, file_code, key);
      const Reply key_answer = Exchange(connection, packet, sizeof packet, key_reply, sizeof key_reply);
      if (!key_answer.arrived()) return ReplyMissing(connection, key_answer, kResultKeyReplyOrWriteFailed, progress);
      *last_reply = static_cast<int>(key_answer.count);
    }
    if (!IsEndReply(reply[0])) ++records;
  } while (!IsEndReply(reply[0]));
  if (!file.Close()) {
    messages.Out("file write error\n");
    return write_failed;
  }
  return Status::Ok();
}

}  // namespace transfer
