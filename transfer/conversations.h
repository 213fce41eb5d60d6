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
// each; the progress counts those answered.
common::TransferStatus Load(Conversation& conversation, LoadKind kind, std::uint8_t file_code,
                            const std::string& outgoing_name);

// Sends the file packet 0xF2 0x25.
common::TransferStatus FileCommand(Conversation& conversation);

// The reads fill the incoming file with the scale's records, read one by one
// with read packets (each asking for the record after the key of the one
// before, key 0 first) until an end reply. Each reply is framed by its
// length; a key handed out a second time, or more than max_records records,
// end the read as failed. The progress counts the records read.
//
// A plain read leaves the records at the scale: each reply goes into the
// file as it comes, the end reply too.
common::TransferStatus PlainRead(Conversation& conversation, std::uint8_t file_code,
                                 const std::string& incoming_name, long max_records);

// A paired read follows each read packet with a key packet of the key just
// asked, which clears the record read in the pass before at the scale. It
// writes a record into the file just before the key packet that clears it,
// and the end reply only after the last key packet's reply: after any
// failure the incoming file holds the cleared records and at most one more,
// whose key packet went unanswered, and no end reply.
common::TransferStatus PairedRead(Conversation& conversation, std::uint8_t file_code,
                                  const std::string& incoming_name, long max_records);

}  // namespace transfer
