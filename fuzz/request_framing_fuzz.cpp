// The emulator's request framing and answers: the input is the byte stream
// a client sends, cut into reads as the first byte says, framed and answered
// the way the server does it over one connection's fixed input buffer. The
// store must hold only well-formed records afterwards, and survive being
// written out and read back. The raw input is also read as a table file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "scalesim/protocol.h"
#include "scalesim/reply_faults.h"
#include "scalesim/store.h"

namespace {

void CheckStore(const scalesim::Store& store) {
  for (const auto& [code, table] : store.tables) {
    for (const auto& [key, record] : table) {
      FUZZ_CHECK(scalesim::IsWellFormedRecord(record));
      FUZZ_CHECK(scalesim::KeyOf(record.data()) == key);
    }
  }
}

void CheckRoundTrip(const scalesim::Store& store) {
  scalesim::Store again;
  FUZZ_CHECK(scalesim::ParseStoreText(scalesim::StoreText(store), &again) == 0);
  std::size_t tables = 0;
  for (const auto& [code, table] : store.tables) {
    if (table.empty()) continue;
    ++tables;
    FUZZ_CHECK(again.tables.count(code) == 1 && again.tables.at(code) == table);
  }
  FUZZ_CHECK(again.tables.size() == tables);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::size_t read_size = 1 + data[0] % 97;
  scalesim::Faults faults;
  faults.echo_key = (data[0] & 0x80) != 0;
  faults.short_reply = (data[0] >> 5) & 3;
  const std::uint8_t* stream = data + 1;
  std::size_t stream_size = size - 1;

  scalesim::Store store;
  std::vector<std::uint8_t> in(scalesim::kMaxRequestLength);
  std::size_t in_size = 0;
  std::vector<std::uint8_t> reply;
  std::size_t requests = 0;
  std::size_t fed = 0;
  while (fed < stream_size) {
    std::size_t room = in.size() - in_size;
    FUZZ_CHECK(room > 0);  // a full buffer always holds a whole request
    std::size_t n = stream_size - fed;
    if (n > read_size) n = read_size;
    if (n > room) n = room;
    std::memcpy(in.data() + in_size, stream + fed, n);
    in_size += n;
    fed += n;

    std::size_t at = 0;
    for (;;) {
      scalesim::Frame frame = scalesim::FrameRequest(in.data() + at, in_size - at);
      if (frame.kind == scalesim::FrameKind::kNeedMore) {
        FUZZ_CHECK(at > 0 || in_size < in.size());
        break;
      }
      FUZZ_CHECK(frame.length >= 1 && frame.length <= in_size - at);
      if (at > 0) {
        std::memmove(in.data(), in.data() + at, in_size - at);
        in_size -= at;
        at = 0;
      }
      ++requests;
      scalesim::AnswerRequest(frame, in.data(), &store, &reply);
      FUZZ_CHECK(!reply.empty() && reply.size() <= scalesim::kMaxRecordLength);
      scalesim::ApplyReplyFaults(faults, in.data(), frame.length, &reply);
      at = frame.length;
    }
    if (at > 0) {
      std::memmove(in.data(), in.data() + at, in_size - at);
      in_size -= at;
    }
  }
  // What stays buffered at the end is answered as one unknown request.
  if (in_size > 0) {
    scalesim::Frame frame;
    frame.kind = scalesim::FrameKind::kUnknown;
    frame.length = in_size;
    scalesim::AnswerRequest(frame, in.data(), &store, &reply);
    FUZZ_CHECK(reply.size() == 1 && reply[0] == scalesim::kNak);
  }
  CheckStore(store);
  CheckRoundTrip(store);

  scalesim::Store parsed;
  scalesim::ParseStoreText(std::string(reinterpret_cast<const char*>(data), size), &parsed);
  CheckStore(parsed);
  return 0;
}
