// The wire protocol of the scales, as the transfer program speaks it: the
// request packets, the records they carry and the replies that come back.
//
//   record  F1, file code, record      stores the record; one reply
//   file    F2 25                      clears the PLU file; one reply
//   key     F3, file code, 4-byte key  deletes (clears) the record of that key; one reply
//   read    F7, file code, 4-byte key  the first record whose key is above it, or an end reply
//
// A record: a 4-byte key, a 2-byte big-endian length that counts the whole
// record, then its data. An end reply begins with E0, E1 or E2.
#pragma once

#include <cstddef>
#include <cstdint>

namespace transfer {

// Command bytes of the request packets.
constexpr std::uint8_t kRecordCommand = 0xF1;
constexpr std::uint8_t kFileCommand = 0xF2;
constexpr std::uint8_t kKeyCommand = 0xF3;
constexpr std::uint8_t kReadCommand = 0xF7;
// The file code of the PLU file, which the file packet clears.
constexpr std::uint8_t kPluFileCode = 0x25;
constexpr std::uint8_t kFilePacketCode = kPluFileCode;

// A packet: its command byte and file code, then what it carries.
constexpr std::size_t kPacketHeaderBytes = 2;

// A record's key and length field.
constexpr std::size_t kKeyBytes = 4;
constexpr std::size_t kRecordHeaderBytes = 6;
constexpr std::size_t kKeyPacketBytes = kPacketHeaderBytes + kKeyBytes;
constexpr long kMinRecordBytes = 6;
constexpr long kMaxRecordBytes = 6143;

// The most a reply is taken to hold: a record's text and a terminating zero
// fill at most a 12288-character line.
constexpr std::size_t kMaxReplyBytes = 12288;

// An end reply: its first byte and the key of the last record.
constexpr std::size_t kEndReplyBytes = 5;

// True for a reply whose first byte is 0xE0, 0xE1 or 0xE2: the end of a read.
constexpr bool IsEndReply(std::uint8_t first_byte) { return first_byte >= 0xE0 && first_byte <= 0xE2; }

// A reply of the single byte 15 to a record, key, file or read packet is the
// scale's refusal: it did not take what it was sent.
constexpr std::uint8_t kRefusal = 0x15;

// The key of a record (big-endian), as a number.
constexpr std::uint32_t KeyValue(const std::uint8_t* key) {
  return static_cast<std::uint32_t>(key[0]) << 24 | static_cast<std::uint32_t>(key[1]) << 16 |
         static_cast<std::uint32_t>(key[2]) << 8 | key[3];
}

// The length a record's bytes 4-5 give.
constexpr std::size_t RecordLength(const std::uint8_t* record) {
  return static_cast<std::size_t>(record[4]) << 8 | record[5];
}

}  // namespace transfer
