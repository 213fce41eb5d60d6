#include "transfer/conversations.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/owned_file.h"
#include "common/hex_text.h"
#include "platform/files.h"
#include "transfer/read_replies.h"
#include "transfer/results.h"
#include "transfer/seen_keys.h"
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

bool TimedOut(const Status& send) { return send.code() == platform::kSocketErrorTimedOut; }

// Sends a request and receives its reply. A send that could not finish in
// time ends there: the scale is not reading. A send that failed otherwise is
// followed by the receive all the same: the state of the connection shows
// there (an unconnected socket or a reset connection fails its receive at
// once), and a reply that comes all the same does not make the request sent.
Reply Exchange(OpenConnection& connection, const std::uint8_t* packet, std::size_t length, std::uint8_t* reply,
               std::size_t capacity) {
  Reply result;
  result.send = connection.Send(packet, length);
  if (TimedOut(result.send)) {
    result.count = kReceiveFailed;
    return result;
  }
  result.count = connection.Receive(reply, capacity, &result.socket_error);
  return result;
}

std::string Seconds(const OpenConnection& connection) {
  return std::to_string(connection.table().reply_wait_ms() / 1000) + " s";
}

// Why a reply is missing, in words, with how far the conversation got.
std::string MissingReplyText(const OpenConnection& connection, const Reply& reply, const std::string& progress) {
  if (TimedOut(reply.send)) return "could not send within " + Seconds(connection) + " " + progress;
  if (reply.count == 0) return "closed the connection " + progress;
  if (reply.count < 0 && reply.socket_error == platform::kSocketErrorTimedOut) {
    return "no reply within " + Seconds(connection) + " " + progress;
  }
  if (reply.count < 0) return SocketErrorText(reply.socket_error) + " " + progress;
  return reply.send.message() + " " + progress;
}

// Ends a conversation whose reply is missing: "Nread control %d\n" with what
// the receive gave, and the failure with code. A request that could not be
// sent in time, or could not be sent but was answered all the same, fails
// with kResultSendFailed.
Status ReplyMissing(OpenConnection& connection, const Reply& reply, int code, const std::string& progress) {
  std::string cause = MissingReplyText(connection, reply, progress);
  if (TimedOut(reply.send) || reply.count > 0) return Status::Error(kResultSendFailed, cause);
  MessagesOf(connection).Print(Stream::kOut, "Nread control %ld\n", reply.count);
  return Status::Error(code, cause);
}

// "after 9 of 38 records"; what names one ("record", "key").
std::string ProgressText(const std::string& what, long done, long total) {
  return "after " + std::to_string(done) + " of " + std::to_string(total) + " " + what + (total == 1 ? "" : "s");
}

// "after 1 record", "after 3 records".
std::string RecordsText(long done) { return "after " + std::to_string(done) + (done == 1 ? " record" : " records"); }

std::uint32_t KeyValue(const std::uint8_t* key) {
  return static_cast<std::uint32_t>(key[0]) << 24 | static_cast<std::uint32_t>(key[1]) << 16 |
         static_cast<std::uint32_t>(key[2]) << 8 | key[3];
}

std::string KeyText(const std::uint8_t* key) {
  char text[2 * kKeyBytes + 1];
  common::BytesToHex(key, kKeyBytes, text);
  return std::string(text, 2 * kKeyBytes);
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
            Progress& progress, int* last_reply) {
  long text_length = 0, total = 0;
  Status status;
  common::OwnedFile file = OpenCheckedOutgoingFile(connection, kind, outgoing_name, &text_length, &total, &status);
  if (!file.is_open()) return status;

  const bool records = kind == LoadKind::kRecords;
  const char* what = records ? "record" : "key";
  progress.Start(records ? "records" : "keys", total);
  OutgoingReader reader(file.get(), text_length);
  std::uint8_t packet[kPacketHeaderBytes + kMaxRecordBytes];
  std::uint8_t reply[kMaxReplyBytes];
  packet[0] = records ? kRecordCommand : kKeyCommand;
  packet[1] = file_code;
  *last_reply = connection.handle();
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
      return ReplyMissing(connection, answer, code, ProgressText(what, progress.done(), total));
    }
    *last_reply = static_cast<int>(answer.count);
    progress.Advance();
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
                   long max_records, Progress& progress, int* last_reply) {
  common::MessageSink& messages = MessagesOf(connection);
  common::OwnedFile file(std::fopen(platform::ResolveName(incoming_name).c_str(), "wb"));
  if (!file.is_open()) {
    messages.Print(Stream::kOut, "\nfopen %s failed\n", incoming_name.c_str());
    return Status::Error(kResultFileUnusable, "the file " + incoming_name + " cannot be created");
  }
  auto write_failed = [&]() {
    messages.Out("file write error\n");
    return Status::Error(kResultKeyReplyOrWriteFailed, "the file " + incoming_name + " did not take a reply");
  };
  std::uint8_t reply[kMaxReplyBytes];
  std::uint8_t ack[kMaxReplyBytes];
  // Paired read: the record read in this pass, cleared by the next pass's key packet.
  std::uint8_t pending[kMaxRecordBytes];
  std::size_t pending_length = 0;
  std::uint8_t key[kKeyBytes] = {};
  std::uint8_t packet[kKeyPacketBytes];
  SeenKeys seen;
  seen.Insert(KeyValue(key));
  progress.Start("records", -1);
  for (;;) {
    const long records = progress.done();
    auto so_far = [records]() { return RecordsText(records); };
    FillKeyPacket(packet, kReadCommand, file_code, key);
    const Status sent = connection.Send(packet, sizeof packet);
    if (TimedOut(sent)) return ReplyMissing(connection, Reply{sent, kReceiveFailed, 0}, kResultNoReply, so_far());
    const ReadReply answer = ReceiveReadReply(connection, reply);
    if (answer.kind == ReadReplyKind::kMissing) {
      return ReplyMissing(connection, Reply{sent, answer.last_count, answer.socket_error}, kResultNoReply, so_far());
    }
    if (!sent.ok()) return Status::Error(kResultSendFailed, sent.message() + " " + so_far());
    if (answer.kind == ReadReplyKind::kNotARecord) {
      return Status::Error(kResultNoReply, "answered a read with something that is neither a record nor an end reply " +
                                               so_far());
    }
    if (answer.dropped > 0) {
      const std::size_t dropped = answer.dropped + DiscardPendingBytes(connection);
      messages.Print(Stream::kErr, "xferlnk: %s: %lu bytes after a record dropped\n", connection.label().c_str(),
                     static_cast<unsigned long>(dropped));
    }
    const bool end = answer.kind == ReadReplyKind::kEnd;
    if (!end) {
      const std::uint32_t next = KeyValue(reply);
      if (seen.Contains(next)) {
        return Status::Error(kResultNoReply, "handed out the key " + KeyText(reply) + " a second time " + so_far());
      }
      if (records >= max_records) {
        return Status::Error(kResultNoReply, "handed out more than " + std::to_string(max_records) + " records");
      }
      seen.Insert(next);
      progress.Advance();
    }
    if (!paired) {
      if (!AppendReply(file.get(), reply, answer.length)) return write_failed();
      *last_reply = static_cast<int>(answer.length);
    } else {
      // The key packet with the key just asked clears the record read in the
      // pass before. That record goes into the file just before it is
      // cleared, and not at all if the file does not take it (the scale then
      // keeps it). A key packet that goes unanswered leaves the record in
      // the file (whether the scale cleared it is not known: kept rather than
      // lost); the end reply follows only the last key packet's answer, so
      // that a read cut short shows as incomplete.
      if (pending_length > 0 && !AppendReply(file.get(), pending, pending_length)) return write_failed();
      pending_length = 0;
      FillKeyPacket(packet, kKeyCommand, file_code, key);
      const Reply cleared = Exchange(connection, packet, sizeof packet, ack, sizeof ack);
      if (!cleared.arrived()) return ReplyMissing(connection, cleared, kResultKeyReplyOrWriteFailed, so_far());
      *last_reply = static_cast<int>(cleared.count);
      if (end && !AppendReply(file.get(), reply, answer.length)) return write_failed();
      if (!end) {
        std::memcpy(pending, reply, answer.length);
        pending_length = answer.length;
      }
    }
    if (end) break;
    std::memcpy(key, reply, kKeyBytes);
  }
  if (!file.Close()) return write_failed();
  return Status::Ok();
}

}  // namespace transfer
