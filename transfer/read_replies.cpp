#include "transfer/read_replies.h"

#include <algorithm>
#include <chrono>

#include "transfer/protocol.h"

namespace transfer {
namespace {

using Clock = std::chrono::steady_clock;

// An end reply shorter than kEndReplyBytes is taken as it is once no more
// has come for a moment, so that the rest of an end reply cut in two is not
// taken for the answer to the next request; a refusal likewise, so that a
// record whose first byte came alone is not taken for one.
constexpr int kShortReplyGraceMs = 500;
// A scale that keeps sending unasked is not followed further than this at a time.
constexpr std::size_t kMaxDiscardedBytes = 1 << 20;

int MillisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Receives more of a short reply into buffer, which holds have bytes, until
// it holds at least wanted or nothing more comes within the grace time (or
// before the deadline); the bytes it then holds.
std::size_t GatherShortReply(OpenConnection& connection, std::uint8_t* buffer, std::size_t have, std::size_t wanted,
                             Clock::time_point deadline) {
  const Clock::time_point grace = Clock::now() + std::chrono::milliseconds(kShortReplyGraceMs);
  while (have < wanted) {
    std::size_t more = 0;
    if (!connection.ReceiveWithin(buffer + have, kMaxReplyBytes - have, MillisecondsLeft(std::min(grace, deadline)),
                                  &more)
             .ok()) {
      break;
    }
    have += more;
  }
  return have;
}

}  // namespace

ReadReply ReceiveReadReply(OpenConnection& connection, std::uint8_t* buffer) {
  ReadReply reply;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(connection.reply_wait_ms());
  std::size_t have = 0;
  std::size_t needed = kRecordHeaderBytes;
  bool first = true;
  while (have < needed) {
    std::size_t count = 0;
    reply.received = first ? connection.Receive(buffer, kMaxReplyBytes, &count)
                           : connection.ReceiveWithin(buffer + have, kMaxReplyBytes - have,
                                                      MillisecondsLeft(deadline), &count);
    if (!reply.received.ok()) return reply;
    have += count;
    if (first && IsEndReply(buffer[0])) {
      reply.kind = ReadReplyKind::kEnd;
      reply.length = GatherShortReply(connection, buffer, have, kEndReplyBytes, deadline);
      return reply;
    }
    if (first && have == 1 && buffer[0] == kRefusal) {
      have = GatherShortReply(connection, buffer, have, 2, deadline);
      if (have == 1) {
        reply.kind = ReadReplyKind::kRefused;
        reply.length = 1;
        return reply;
      }
    }
    first = false;
    if (needed == kRecordHeaderBytes && have >= kRecordHeaderBytes) {
      needed = RecordLength(buffer);
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
    std::size_t count = 0;
    if (!connection.ReceiveWithin(scratch, sizeof scratch, 0, &count).ok()) return dropped;
    dropped += count;
  }
  return dropped;
}

}  // namespace transfer
