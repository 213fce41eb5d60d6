// The conversations with a connected scale, one per transfer kind. Each one
// ends with the connection closed (when its OpenConnection goes) and gives
// the transfer's outcome: ok with the length of the last reply, or a failure
// whose code is a result code (transfer/results.h) and whose message names
// the cause in words. The Parts' console messages go through the connection
// table's message sink.
#pragma once

#include <cstdint>
#include <string>

#include "common/status.h"
#include "transfer/connection.h"
#include "transfer/progress.h"

namespace transfer {

// Command bytes of the request packets.
constexpr std::uint8_t kRecordCommand = 0xF1;
constexpr std::uint8_t kFileCommand = 0xF2;
constexpr std::uint8_t kKeyCommand = 0xF3;
constexpr std::uint8_t kReadCommand = 0xF7;
// The file code the file packet carries.
constexpr std::uint8_t kFilePacketCode = 0x25;

// True for a reply whose first byte is 0xE0, 0xE1 or 0xE2: the end of a read.
bool IsEndReply(std::uint8_t first_byte);

// What a load sends from its outgoing file: each record as a packet 0xF1, or
// each key as a packet 0xF3.
enum class LoadKind { kRecords, kKeys };

// Sends every record or key of the outgoing file, waiting for a reply after
// each; progress counts those answered. last_reply: the last reply's length, or the handle when the file holds
// none.
common::Status Load(OpenConnection& connection, LoadKind kind, std::uint8_t file_code,
                    const std::string& outgoing_name, Progress& progress, int* last_reply);

// Sends the file packet 0xF2 0x25; last_reply: the reply's length.
common::Status FileCommand(OpenConnection& connection, int* last_reply);

// Reads the scale's records into the incoming file with read packets until
// an end reply; with paired set, each read is followed by a key packet with
// the same key, which clears the record read before at the scale. Each reply
// is framed by its length; a key handed out a second time, or more than
// max_records records, end the read as failed. last_reply: the length of the
// last reply (of the last key packet's reply for a paired read). progress
// counts the records read.
//
// A paired read writes a record into the file just before the key packet
// that clears it, and the end reply only after the last key packet's reply:
// after any failure the incoming file holds the cleared records and at most
// one more, whose key packet went unanswered, and no end reply.
common::Status ReadRecords(OpenConnection& connection, std::uint8_t file_code, const std::string& incoming_name,
                           bool paired, long max_records, Progress& progress, int* last_reply);

}  // namespace transfer
