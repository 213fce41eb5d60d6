// The conversations with a connected scale, one per transfer kind. Each one
// closes the connection before it returns and gives the transfer's result
// (transfer/results.h). Console messages go to standard output.
#pragma once

#include <cstdint>
#include <string>

#include "transfer/connection.h"

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

// Sends every record of the outgoing file, one packet 0xF1 each, waiting for
// a reply after each. The last reply's length, or the handle when the file
// holds no record.
int RecordLoad(ConnectionTable& connections, int handle, std::uint8_t file_code, const std::string& outgoing_name);

// Sends every key of the outgoing file, one packet 0xF3 each, waiting for a
// reply after each. The last reply's length, or the handle when the file
// holds no key.
int KeyLoad(ConnectionTable& connections, int handle, std::uint8_t file_code, const std::string& outgoing_name);

// Sends the file packet 0xF2 0x25: the reply's length.
int FileCommand(ConnectionTable& connections, int handle);

// Reads the scale's records into the incoming file with read packets until
// an end reply; with paired set, each read is followed by a key packet with
// the same key. The length of the last reply (of the last key packet's reply
// for a paired read).
int ReadRecords(ConnectionTable& connections, int handle, std::uint8_t file_code, const std::string& incoming_name,
                bool paired);

}  // namespace transfer
