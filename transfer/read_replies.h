// The replies to read packets, framed by their own length: a record reply is
// whole when it holds the length that its bytes 4-5 give (6 to 6143); its
// pieces are gathered within the reply time limit, however TCP cuts them. An
// end reply (first byte 0xE0, 0xE1 or 0xE2) is complete with the key after
// its first byte (5 bytes), or, shorter, once nothing more has come for half
// a second. The single byte 15 followed by nothing for half a second is the
// scale's refusal.
#pragma once

#include <cstddef>
#include <cstdint>

#include "transfer/connection.h"

namespace transfer {

enum class ReadReplyKind {
  kRecord,      // a whole record at the buffer's start
  kEnd,         // an end reply
  kMissing,     // nothing, or not a whole record, within the time limit
  kNotARecord,  // a length field outside 6..6143: neither a record nor an end reply
  kRefused,     // the single byte 15 and nothing after it for a moment: the scale's refusal
};

struct ReadReply {
  ReadReplyKind kind = ReadReplyKind::kMissing;
  std::size_t length = 0;   // bytes of the record or end reply
  LinkStatus received;      // kMissing: what the last receive gave
  std::size_t dropped = 0;  // bytes that came after the record, not part of it
};

// Receives the reply to a read packet into buffer (kMaxReplyBytes).
ReadReply ReceiveReadReply(OpenConnection& connection, std::uint8_t* buffer);

// Takes what has already come on the connection and was not asked for (the
// rest of a reply that held more than one record); the number of bytes.
std::size_t DiscardPendingBytes(OpenConnection& connection);

}  // namespace transfer
