#include "transfer/read_replies.h"

#include <algorithm>
#include <chrono>

#include "transfer/conversations.h"
#include "transfer/transfer_files.h"

namespace transfer {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kLengthFieldEnd = 6;  // bytes 4-5 hold the record's length
// An end reply: its first byte and the key of the last record. A shorter one
// is taken as it is once no more has come for a moment, so that the rest of
// an end reply cut in two is not taken for the answer to the next request.
constexpr std::size_t kEndReplyBytes = 5;
constexpr int kEndReplyGraceMs = 500;
// A scale that keeps sending unasked is not followed further than this at a time.
constexpr std::size_t kMaxDiscardedBytes = 1 << 20;

int MillisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

ReadReply ReceiveReadReply(OpenConnection& connection, std::uint8_t* buffer) {
  ReadReply reply;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(connection.table().reply_wait_ms());
  std::size_t have = 0;
  std::size_t needed = kLengthFieldEnd;
  bool first = true;
  while (have < needed) {
    const long count =
        first ? connection.Receive(buffer, kMaxReplyBytes, &reply.socket_error)
              : connection.ReceiveWithin(buffer + have, kMaxReplyBytes - have, MillisecondsLeft(deadline), &reply.socket_error);
    if (count <= 0) {
      reply.last_count = count;
      return reply;
    }
    have += static_cast<std::size_t>(count);
    if (first && IsEndReply(buffer[0])) {
      const Clock::time_point grace = Clock::now() + std::chrono::milliseconds(kEndReplyGraceMs);
      while (have < kEndReplyBytes) {
        const long more = connection.ReceiveWithin(buffer + have, kMaxReplyBytes - have,
                                                   MillisecondsLeft(std::min(grace, deadline)), &reply.socket_error);
        if (more <= 0) break;
        have += static_cast<std::size_t>(more);
      }
      reply.kind = ReadReplyKind::kEnd;
      reply.length = have;
      return reply;
    }
    first = false;
    if (needed == kLengthFieldEnd && have >= kLengthFieldEnd) {
      needed = static_cast<std::size_t>(buffer[4]) << 8 | buffer[5];
      if (needed < static_cast<std::size_t>(kMinRecordBytes) || needed > static_cast<std::size_t>(kMaxRecordBytes)) {
        reply.kind = ReadReplyKind::kNotARecord;
        reply.length = have;
        return reply;
      }
    }
  }
  reply.kind = ReadReplyKind::kRecord;
  reply.length = needed;
  reply.dropped = have - needed;
  return reply;
}

std::size_t DiscardPendingBytes(OpenConnection& connection) {
  std::uint8_t scratch[kMaxReplyBytes];
  std::size_t dropped = 0;
  while (dropped < kMaxDiscardedBytes) {
    int error = 0;
    const long count = connection.ReceiveWithin(scratch, sizeof scratch, 0, &error);
    if (count <= 0) return dropped;
    dropped += static_cast<std::size_t>(count);
  }
  return dropped;
}

}  // namespace transfer
