// The scale's side of the wire protocol: finding where one request ends in
// a stream of bytes, and answering it from and into a store.
//
// A request is framed by its shape alone, so it does not matter how TCP cuts
// or joins the stream:
//   F1 code record      record bytes 4-5 give the record length L: L + 2 bytes
//   F2 25               2 bytes (any second byte frames, only 25 is known)
//   F3 code key         6 bytes
//   F7 code key         6 bytes
// Any other first byte cannot be framed: it is answered with one negative
// acknowledge and dropped, and framing starts again at the next byte.
//
// A record packet whose length field disagrees with the packet is answered
// with one negative acknowledge, stores nothing, and takes with it every
// byte received so far, so that the rest of the packet (as far as it came
// with it) gives no further replies. It disagrees when the length is below 6
// or above 6143, or when the bytes right after the record do not begin a
// request (the length was too short). A length that promises more than comes
// leaves the packet incomplete; the server answers that after a quiet time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scalesim/store.h"

namespace scalesim {

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kRecordPacket = 0xF1;
constexpr std::uint8_t kFilePacket = 0xF2;
constexpr std::uint8_t kKeyPacket = 0xF3;
constexpr std::uint8_t kReadPacket = 0xF7;
constexpr std::uint8_t kEndReplyByte = 0xE2;
constexpr std::size_t kEndReplyLength = 5;

// The longest request: a record packet with the longest record.
constexpr std::size_t kMaxRequestLength = 2 + kMaxRecordLength;
constexpr std::size_t kRecordHeaderLength = 8;  // F1, code, key, length field
constexpr std::size_t kKeyPacketLength = 6;

enum class FrameKind {
  kNeedMore,   // the bytes so far begin a request that is not complete yet
  kRequest,    // a whole request of `length` bytes
  kBadLength,  // a record packet whose length field disagrees with the packet
  kUnknown,    // a first byte that begins no request
};

struct Frame {
  FrameKind kind = FrameKind::kNeedMore;
  std::size_t length = 0;  // bytes to take off the stream (not for kNeedMore)
};

Frame FrameRequest(const std::uint8_t* data, std::size_t size);

// True for the first byte of a request.
bool IsCommandByte(std::uint8_t byte);

// Answers one framed request (what FrameRequest returned, with its bytes),
// applying it to store, and replaces reply with the answer.
void AnswerRequest(const Frame& frame, const std::uint8_t* request, Store* store,
                   std::vector<std::uint8_t>* reply);

}  // namespace scalesim
