#include "scalesim/protocol.h"

namespace scalesim {

bool IsCommandByte(std::uint8_t byte) {
  return byte == kRecordPacket || byte == kFilePacket || byte == kKeyPacket || byte == kReadPacket;
}

Frame FrameRequest(const std::uint8_t* data, std::size_t size) {
  Frame frame;
  if (size == 0) return frame;
  switch (data[0]) {
    case kRecordPacket: {
      if (size < kRecordHeaderLength) return frame;
      std::size_t length = (static_cast<std::size_t>(data[6]) << 8) | data[7];
      if (length < kMinRecordLength || length > kMaxRecordLength) {
        frame.kind = FrameKind::kBadLength;
        frame.length = size;
        return frame;
      }
      if (size < length + 2) return frame;
      frame.kind = FrameKind::kRequest;
      frame.length = length + 2;
      if (size > frame.length && !IsCommandByte(data[frame.length])) {
        frame.kind = FrameKind::kBadLength;
        frame.length = size;
      }
      return frame;
    }
    case kFilePacket:
      if (size < 2) return frame;
      frame.kind = FrameKind::kRequest;
      frame.length = 2;
      return frame;
    case kKeyPacket:
    case kReadPacket:
      if (size < kKeyPacketLength) return frame;
      frame.kind = FrameKind::kRequest;
      frame.length = kKeyPacketLength;
      return frame;
    default:
      frame.kind = FrameKind::kUnknown;
      frame.length = 1;
      return frame;
  }
}

namespace {

void AnswerRead(std::uint8_t code, Key key, const Store& store, std::vector<std::uint8_t>* reply) {
  auto table = store.tables.find(code);
  if (table != store.tables.end()) {
    auto next = table->second.upper_bound(key);
    if (next != table->second.end()) {
      *reply = next->second;
      return;
    }
  }
  reply->assign(kEndReplyLength, 0);
  (*reply)[0] = kEndReplyByte;
}

}  // namespace

void AnswerRequest(const Frame& frame, const std::uint8_t* request, Store* store,
                   std::vector<std::uint8_t>* reply) {
  reply->assign(1, kNak);
  if (frame.kind != FrameKind::kRequest) return;
  switch (request[0]) {
    case kRecordPacket: {
      Record record(request + 2, request + frame.length);
      store->tables[request[1]][KeyOf(record.data())] = std::move(record);
      store->dirty = true;
      (*reply)[0] = kAck;
      return;
    }
    case kFilePacket:
      if (request[1] != kPluCode) return;
      store->tables.erase(kPluCode);
      store->dirty = true;
      (*reply)[0] = kAck;
      return;
    case kKeyPacket: {
      auto table = store->tables.find(request[1]);
      if (table != store->tables.end() && table->second.erase(KeyOf(request + 2)) > 0) {
        store->dirty = true;
      }
      (*reply)[0] = kAck;
      return;
    }
    case kReadPacket:
      AnswerRead(request[1], KeyOf(request + 2), *store, reply);
      return;
    default:
      return;
  }
}

}  // namespace scalesim
