// The conversations with a connected scale, one per transfer kind. Each one
// ends with the connection closed (when its OpenConnection goes) and gives
// the transfer's outcome: ok, or a failure whose code is the transfer's
// result and whose message names the cause in words. The console messages
// of a conversation go to its message sink as they occur.
#pragma once

#include <cstdint>
#include <string>

#include "common/message_sink.h"
#include "common/transfer_contract.h"
#include "platform/env.h"
#include "transfer/connection.h"
#include "transfer/progress.h"

namespace transfer {

// What a conversation works with.
struct Conversation {
  platform::Env& env;
  OpenConnection& connection;
  common::MessageSink& messages;
  Progress& progress;
};

// What a load sends from its outgoing file: each record as a packet 0xF1, or
// each key as a packet 0xF3.
enum class LoadKind { kRecords, kKeys };

// Sends every record or key of the outgoing file, waiting for a reply after
// each; the progress counts those answered. A load goes on past records or
// keys the scale refuses and then fails with kRefused, naming how many of
// how many it refused and the first of them ("refused 3 of 38 records: PLU
// 12, 57, 88").
common::TransferStatus Load(Conversation& conversation, LoadKind kind, std::uint8_t file_code,
                            const std::string& outgoing_name);

// Sends the file packet 0xF2 0x25.
common::TransferStatus FileCommand(Conversation& conversation);

// The bounds of a read: past any of them it ends as failed (kReadTooLong).
struct ReadLimits {
  long long max_records = 0;
  long long max_bytes = 0;  // of the incoming file
  int max_seconds = 0;
};

// The reads fill the incoming file with the scale's records, read one by one
// with read packets (each asking for the record after the key of the one
// before, key 0 first) until an end reply. Each reply is framed by its
// length; a key handed out a second time ends the read as failed, and so do
// its limits. The progress counts the records read.
//
// A plain read leaves the records at the scale: each reply goes into the
// file as it comes, the end reply too.
common::TransferStatus PlainRead(Conversation& conversation, std::uint8_t file_code,
                                 const std::string& incoming_name, const ReadLimits& limits);

// A paired read follows each read packet with a key packet of the key just
// asked, which clears the record read in the pass before at the scale. It
// writes a record into the file, and waits until it is on the disk, just
// before the key packet that clears it, and writes the end reply only after
// the last key packet's reply: after any failure the incoming file holds the
// cleared records and at most one more, whose key packet went unanswered,
// and no end reply. A record whose key packet the scale refuses was not
// cleared: it is taken back out of the file, and the read fails.
common::TransferStatus PairedRead(Conversation& conversation, std::uint8_t file_code,
                                  const std::string& incoming_name, const ReadLimits& limits);

}  // namespace transfer
