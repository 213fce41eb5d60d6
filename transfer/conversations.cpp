#include "transfer/conversations.h"

#include <cstring>
#include <memory>

#include "common/hex_text.h"
#include "transfer/protocol.h"
#include "transfer/read_replies.h"
#include "transfer/seen_keys.h"
#include "transfer/transfer_files.h"

namespace transfer {
namespace {

using common::Stream;
using common::TransferResult;
using common::TransferStatus;

// What became of one request: whether it was sent, and what its receive
// gave.
struct Reply {
  LinkStatus send;
  LinkStatus received;
  std::size_t count = 0;  // bytes of the reply
  bool arrived() const { return send.ok() && received.ok(); }
};

// The reply is the single byte of a refusal.
bool Refused(const Reply& reply, const std::uint8_t* bytes) {
  return reply.arrived() && reply.count == 1 && bytes[0] == kRefusal;
}

bool TimedOut(const LinkStatus& send) { return send.code() == LinkFailure::kTimedOut; }

// Sends a request and receives its reply. A send that could not finish in
// time ends there: the scale is not reading. A send that failed otherwise is
// followed by the receive all the same: the state of the connection shows
// there (an unconnected socket or a reset connection fails its receive at
// once), and a reply that comes all the same does not make the request sent.
Reply Exchange(OpenConnection& connection, const std::uint8_t* packet, std::size_t length, std::uint8_t* reply,
               std::size_t capacity) {
  Reply result;
  result.send = connection.Send(packet, length);
  if (TimedOut(result.send)) return result;
  result.received = connection.Receive(reply, capacity, &result.count);
  return result;
}

std::string Seconds(const OpenConnection& connection) {
  return std::to_string(connection.reply_wait_ms() / 1000) + " s";
}

// Why a reply is missing, in words, with how far the conversation got.
std::string MissingReplyText(const OpenConnection& connection, const Reply& reply, const std::string& progress) {
  if (TimedOut(reply.send)) return "could not send within " + Seconds(connection) + " " + progress;
  switch (reply.received.code()) {
    case LinkFailure::kClosed:
      return "closed the connection " + progress;
    case LinkFailure::kTimedOut:
      return "no reply within " + Seconds(connection) + " " + progress;
    case LinkFailure::kFailed:
      return SocketErrorText(reply.received.system_error()) + " " + progress;
    case LinkFailure::kOk:
      break;
  }
  return reply.send.message() + " " + progress;
}

// Ends a conversation whose reply is missing: "Nread control %d\n" with what
// the receive gave, and the failure with result. A request that could not
// be sent in time, or could not be sent but was answered all the same,
// fails with kSendFailed.
TransferStatus ReplyMissing(Conversation& conversation, const Reply& reply, TransferResult result,
                            const std::string& progress) {
  std::string cause = MissingReplyText(conversation.connection, reply, progress);
  if (TimedOut(reply.send) || reply.received.ok()) return TransferStatus::Error(TransferResult::kSendFailed, cause);
  conversation.messages.Print(Stream::kOut, "Nread control %ld\n", ReceiveCount(reply.received));
  return TransferStatus::Error(result, cause);
}

// "after 9 of 38 records"; what names one ("record", "key").
std::string ProgressText(const std::string& what, long done, long total) {
  return "after " + std::to_string(done) + " of " + std::to_string(total) + " " + what + (total == 1 ? "" : "s");
}

// "after 1 record", "after 3 records".
std::string RecordsText(long long done) { return "after " + std::to_string(done) + (done == 1 ? " record" : " records"); }

// How a refused record or key is named: a PLU by its number (the key in
// BCD, without leading zeros), anything else by its key in hex.
std::string RefusedItemText(std::uint8_t file_code, const std::uint8_t* key);

std::string KeyText(const std::uint8_t* key) {
  char text[2 * kKeyBytes + 1];
  common::BytesToHex(key, kKeyBytes, text);
  return std::string(text, 2 * kKeyBytes);
}

std::string RefusedItemText(std::uint8_t file_code, const std::uint8_t* key) {
  const std::string hex = KeyText(key);
  if (file_code != kPluFileCode) return hex;
  const std::string::size_type first = hex.find_first_not_of('0');
  return first == std::string::npos ? "0" : hex.substr(first);
}

// What a load's refusals add up to: how many, and the first of them.
class Refusals {
 public:
  Refusals(std::uint8_t file_code, bool records) : file_code_(file_code), records_(records) {}
  void Note(const std::uint8_t* key) {
    if (count_++ < kNamed) named_ += (named_.empty() ? "" : ", ") + RefusedItemText(file_code_, key);
  }
  long count() const { return count_; }
  // "refused 3 of 38 records: PLU 12, 57, 88".
  std::string Text(long total) const {
    std::string text = "refused " + std::to_string(count_) + " of " + std::to_string(total) + " " +
                       (records_ ? "record" : "key") + (total == 1 ? "" : "s") + ": " +
                       (file_code_ == kPluFileCode ? "PLU " : "key ") + named_;
    if (count_ > kNamed) text += " and " + std::to_string(count_ - kNamed) + " more";
    return text;
  }

 private:
  static constexpr long kNamed = 10;
  std::uint8_t file_code_;
  bool records_;
  long count_ = 0;
  std::string named_;
};

void FillKeyPacket(std::uint8_t* packet, std::uint8_t command, std::uint8_t file_code, const std::uint8_t* key) {
  packet[0] = command;
  packet[1] = file_code;
  std::memcpy(packet + kPacketHeaderBytes, key, kKeyBytes);
}

// Opens an outgoing file and checks it. Null (after the message) when it
// cannot be opened or is not well formed.
std::unique_ptr<platform::InputFile> OpenCheckedOutgoingFile(Conversation& conversation, LoadKind kind,
                                                             const std::string& name, OutgoingFileShape* shape,
                                                             TransferStatus* status) {
  common::MessageSink& messages = conversation.messages;
  std::unique_ptr<platform::InputFile> file;
  if (platform::SystemStatus opened = conversation.env.OpenForReading(name, &file); !opened.ok()) {
    if (kind == LoadKind::kRecords) {
      messages.Print(Stream::kOut, "\nfopen %s failed err = %d\n", name.c_str(), opened.system_error());
    } else {
      messages.Print(Stream::kOut, "\nfopen %s failed\n", name.c_str());
    }
    *status = TransferStatus::Error(TransferResult::kFileUnusable,
                                    "the file " + name + " cannot be opened (" + opened.message() + ")");
    return nullptr;
  }
  const OutgoingFormat format = kind == LoadKind::kRecords ? OutgoingFormat::kRecords : OutgoingFormat::kKeys;
  *shape = CheckOutgoingFile(*file, format);
  if (!shape->well_formed || !file->Rewind().ok()) {
    messages.Print(Stream::kOut, "\nBad record file %s at offset %ld\n", name.c_str(), shape->bad_offset);
    *status = TransferStatus::Error(TransferResult::kFileUnusable, "the file " + name +
                                                                       " is not well formed at offset " +
                                                                       std::to_string(shape->bad_offset));
    return nullptr;
  }
  return file;
}

// The incoming file of a read, made new; null (after the message) if it
// cannot be.
std::unique_ptr<platform::OutputFile> CreateIncomingFile(Conversation& conversation, const std::string& name,
                                                         TransferStatus* status) {
  std::unique_ptr<platform::OutputFile> file;
  if (!conversation.env.CreateForWriting(name, &file).ok()) {
    conversation.messages.Print(Stream::kOut, "\nfopen %s failed\n", name.c_str());
    *status = TransferStatus::Error(TransferResult::kFileUnusable, "the file " + name + " cannot be created");
    return nullptr;
  }
  return file;
}

TransferStatus WriteFailed(Conversation& conversation, const std::string& incoming_name) {
  conversation.messages.Out("file write error\n");
  return TransferStatus::Error(TransferResult::kKeyReplyOrWriteFailed,
                               "the file " + incoming_name + " did not take a reply");
}

// The read packets of a read, and the framing and checks of their replies:
// each asks for the record after key(), which the caller moves on once it
// has done with the reply. The reader keeps the incoming file too, and the
// read's bounds: the records, the bytes of the file, the time.
class RecordReader {
 public:
  RecordReader(Conversation& conversation, std::uint8_t file_code, const ReadLimits& limits,
               platform::OutputFile& file)
      : conversation_(conversation),
        file_code_(file_code),
        limits_(limits),
        file_(file),
        started_(conversation.env.SteadySeconds()) {
    seen_.Insert(KeyValue(key_));
    conversation_.progress.Start("records", -1);
  }

  const std::uint8_t* key() const { return key_; }
  const std::uint8_t* reply() const { return reply_; }
  // The bytes written into the incoming file so far.
  std::uint64_t written() const { return written_; }
  // How far the read had got when the pass of the last Next began.
  std::string SoFar() const { return RecordsText(pass_start_); }

  // Asks for the next record: ok and the reply (a record or the end reply)
  // in *answer, or the failure that ends the read. held: the bytes of a
  // record read but not yet written, which count towards the byte limit.
  TransferStatus Next(ReadReply* answer, std::size_t held) {
    pass_start_ = records_;
    if (conversation_.env.SteadySeconds() - started_ > limits_.max_seconds) {
      return TransferStatus::Error(TransferResult::kReadTooLong, "took longer than " +
                                                                     std::to_string(limits_.max_seconds) + " s " +
                                                                     SoFar());
    }
    OpenConnection& connection = conversation_.connection;
    std::uint8_t packet[kKeyPacketBytes];
    FillKeyPacket(packet, kReadCommand, file_code_, key_);
    const LinkStatus sent = connection.Send(packet, sizeof packet);
    if (TimedOut(sent)) return ReplyMissing(conversation_, Reply{sent, LinkStatus()}, TransferResult::kNoReply, SoFar());
    *answer = ReceiveReadReply(connection, reply_);
    if (answer->kind == ReadReplyKind::kMissing) {
      return ReplyMissing(conversation_, Reply{sent, answer->received}, TransferResult::kNoReply, SoFar());
    }
    if (!sent.ok()) return TransferStatus::Error(TransferResult::kSendFailed, sent.message() + " " + SoFar());
    if (answer->kind == ReadReplyKind::kRefused) {
      return TransferStatus::Error(TransferResult::kRefused,
                                   "refused the read of the record after key " + KeyText(key_) + " " + SoFar());
    }
    if (answer->kind == ReadReplyKind::kNotARecord) {
      return TransferStatus::Error(TransferResult::kNoReply,
                                   "answered a read with something that is neither a record nor an end reply " +
                                       SoFar());
    }
    if (answer->dropped > 0) {
      const std::size_t dropped = answer->dropped + DiscardPendingBytes(connection);
      conversation_.messages.Print(Stream::kErr, "xferlnk: %s: %lu bytes after a record dropped\n",
                                   connection.label().c_str(), static_cast<unsigned long>(dropped));
    }
    if (answer->kind == ReadReplyKind::kEnd) return TransferStatus::Ok();
    const std::uint32_t next = KeyValue(reply_);
    if (seen_.Contains(next)) {
      return TransferStatus::Error(TransferResult::kNoReply,
                                   "handed out the key " + KeyText(reply_) + " a second time " + SoFar());
    }
    if (records_ >= limits_.max_records) {
      return TransferStatus::Error(TransferResult::kReadTooLong,
                                   "handed out more than " + std::to_string(limits_.max_records) +
                                       (limits_.max_records == 1 ? " record" : " records"));
    }
    if (static_cast<long long>(written_ + 2 * (held + answer->length)) > limits_.max_bytes) {
      return TransferStatus::Error(TransferResult::kReadTooLong, "handed out more than " +
                                                                     std::to_string(limits_.max_bytes) +
                                                                     " bytes of records " + SoFar());
    }
    seen_.Insert(next);
    ++records_;
    conversation_.progress.Advance();
    return TransferStatus::Ok();
  }

  // The next read asks for the record after the one just read.
  void MoveOn() { std::memcpy(key_, reply_, kKeyBytes); }

  // Appends a reply to the incoming file, handing it to the system.
  bool Append(const std::uint8_t* bytes, std::size_t length) {
    if (!AppendReply(file_, bytes, length).ok()) return false;
    written_ += 2 * length;
    return true;
  }
  // Takes the file back to the size it had, written bytes before.
  bool TakeBack(std::uint64_t size) {
    if (!file_.Truncate(size).ok() || !file_.Sync().ok()) return false;
    written_ = size;
    return true;
  }

 private:
  Conversation& conversation_;
  std::uint8_t file_code_;
  const ReadLimits& limits_;
  platform::OutputFile& file_;
  double started_;
  std::uint8_t key_[kKeyBytes] = {};
  std::uint8_t reply_[kMaxReplyBytes];
  SeenKeys seen_;
  long long records_ = 0;
  long long pass_start_ = 0;
  std::uint64_t written_ = 0;
};

}  // namespace

TransferStatus Load(Conversation& conversation, LoadKind kind, std::uint8_t file_code,
                    const std::string& outgoing_name) {
  OutgoingFileShape shape;
  TransferStatus status;
  std::unique_ptr<platform::InputFile> file =
      OpenCheckedOutgoingFile(conversation, kind, outgoing_name, &shape, &status);
  if (file == nullptr) return status;

  const bool records = kind == LoadKind::kRecords;
  const char* what = records ? "record" : "key";
  Progress& progress = conversation.progress;
  progress.Start(records ? "records" : "keys", shape.items);
  OutgoingReader reader(*file, shape.text_length);
  std::uint8_t packet[kPacketHeaderBytes + kMaxRecordBytes];
  std::uint8_t reply[kMaxReplyBytes];
  packet[0] = records ? kRecordCommand : kKeyCommand;
  packet[1] = file_code;
  Refusals refusals(file_code, records);
  std::size_t length = 0;
  for (;;) {
    const bool more = records ? reader.NextRecord(packet + kPacketHeaderBytes, &length)
                              : reader.NextKey(packet + kPacketHeaderBytes);
    if (!more) break;
    if (!records) length = kKeyBytes;
    const Reply answer = Exchange(conversation.connection, packet, kPacketHeaderBytes + length, reply, sizeof reply);
    if (!answer.arrived()) {
      // A scale that closed before its reply did not take the record.
      const TransferResult result = records && answer.received.code() != LinkFailure::kClosed
                                        ? TransferResult::kReceiveFailed
                                        : TransferResult::kNoReply;
      return ReplyMissing(conversation, answer, result, ProgressText(what, progress.done(), shape.items));
    }
    if (Refused(answer, reply)) refusals.Note(packet + kPacketHeaderBytes);
    progress.Advance();
  }
  if (refusals.count() > 0) return TransferStatus::Error(TransferResult::kRefused, refusals.Text(shape.items));
  return TransferStatus::Ok();
}

TransferStatus FileCommand(Conversation& conversation) {
  const std::uint8_t packet[kPacketHeaderBytes] = {kFileCommand, kFilePacketCode};
  std::uint8_t reply[kMaxReplyBytes];
  const Reply answer = Exchange(conversation.connection, packet, sizeof packet, reply, sizeof reply);
  if (!answer.arrived()) return ReplyMissing(conversation, answer, TransferResult::kNoReply, "to the file command");
  if (Refused(answer, reply)) return TransferStatus::Error(TransferResult::kRefused, "refused the file command");
  return TransferStatus::Ok();
}

TransferStatus PlainRead(Conversation& conversation, std::uint8_t file_code, const std::string& incoming_name,
                         const ReadLimits& limits) {
  TransferStatus status;
  std::unique_ptr<platform::OutputFile> file = CreateIncomingFile(conversation, incoming_name, &status);
  if (file == nullptr) return status;
  RecordReader reader(conversation, file_code, limits, *file);
  for (;;) {
    ReadReply answer;
    if (status = reader.Next(&answer, 0); !status.ok()) return status;
    if (!reader.Append(reader.reply(), answer.length)) return WriteFailed(conversation, incoming_name);
    if (answer.kind == ReadReplyKind::kEnd) break;
    reader.MoveOn();
  }
  if (!file->Close().ok()) return WriteFailed(conversation, incoming_name);
  return TransferStatus::Ok();
}

TransferStatus PairedRead(Conversation& conversation, std::uint8_t file_code, const std::string& incoming_name,
                          const ReadLimits& limits) {
  TransferStatus status;
  std::unique_ptr<platform::OutputFile> file = CreateIncomingFile(conversation, incoming_name, &status);
  if (file == nullptr) return status;
  RecordReader reader(conversation, file_code, limits, *file);
  // The record read in this pass, cleared by the next pass's key packet.
  std::uint8_t pending[kMaxRecordBytes];
  std::size_t pending_length = 0;
  std::uint8_t packet[kKeyPacketBytes];
  std::uint8_t ack[kMaxReplyBytes];
  for (;;) {
    ReadReply answer;
    if (status = reader.Next(&answer, pending_length); !status.ok()) return status;
    const bool end = answer.kind == ReadReplyKind::kEnd;
    // The key packet with the key just asked clears the record read in the
    // pass before. That record goes into the file, and onto the disk, just
    // before it is cleared, and not at all if the file does not take it (the
    // scale then keeps it). A key packet that goes unanswered leaves the
    // record in the file (whether the scale cleared it is not known: kept
    // rather than lost); one that the scale refuses takes it back out. The
    // end reply follows only the last key packet's answer, so that a read
    // cut short shows as incomplete.
    const std::uint64_t before = reader.written();
    if (pending_length > 0 && (!reader.Append(pending, pending_length) || !file->Sync().ok())) {
      // Not on the disk, so not to be cleared: its key packet is not sent,
      // and what of it reached the file goes again where it can.
      (void)reader.TakeBack(before);
      return WriteFailed(conversation, incoming_name);
    }
    FillKeyPacket(packet, kKeyCommand, file_code, reader.key());
    const Reply cleared = Exchange(conversation.connection, packet, sizeof packet, ack, sizeof ack);
    if (!cleared.arrived()) {
      return ReplyMissing(conversation, cleared, TransferResult::kKeyReplyOrWriteFailed, reader.SoFar());
    }
    if (Refused(cleared, ack)) {
      if (!reader.TakeBack(before)) return WriteFailed(conversation, incoming_name);
      return TransferStatus::Error(TransferResult::kRefused,
                                   "refused to clear the record of key " + KeyText(reader.key()) + " " +
                                       reader.SoFar());
    }
    pending_length = 0;
    if (end) {
      if (!reader.Append(reader.reply(), answer.length)) return WriteFailed(conversation, incoming_name);
      break;
    }
    std::memcpy(pending, reader.reply(), answer.length);
    pending_length = answer.length;
    reader.MoveOn();
  }
  if (!file->Sync().ok() || !file->Close().ok()) return WriteFailed(conversation, incoming_name);
  return TransferStatus::Ok();
}

}  // namespace transfer
