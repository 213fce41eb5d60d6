#include "scalesim/reply_faults.h"

#include "scalesim/protocol.h"

namespace scalesim {
namespace {

constexpr Key kHighestKey = 0xFFFFFFFF;

bool IsRead(const std::uint8_t* request, std::size_t length) {
  return length == kKeyPacketLength && request[0] == kReadPacket;
}

Record MadeUpRecord(Key key) {
  Record record(kMadeUpRecordLength, 0);
  PutKey(key, record.data());
  record[5] = static_cast<std::uint8_t>(kMadeUpRecordLength);
  return record;
}

// The record a read of `key` gets under the read faults; false for the end
// of the table.
bool NextRecord(const Faults& faults, std::uint8_t code, Key key, const Store& store, ReadFaultState* state,
                Record* record) {
  if (faults.cycle_keys > 0) {
    *record = MadeUpRecord(key % static_cast<Key>(faults.cycle_keys) + 1);
    return true;
  }
  if (faults.new_keys) {
    Key above = key > state->highest_new_key ? key : state->highest_new_key;
    if (above == kHighestKey) return false;  // every key has been handed out
    state->highest_new_key = above + 1;
    *record = MadeUpRecord(above + 1);
    return true;
  }
  auto table = store.tables.find(code);
  if (table == store.tables.end()) return false;
  auto next = table->second.upper_bound(key);
  if (next == table->second.end()) return false;
  *record = next->second;
  return true;
}

}  // namespace

void ApplyReadFaults(const Faults& faults, const std::uint8_t* request, std::size_t length, const Store& store,
                     ReadFaultState* state, std::vector<std::uint8_t>* reply) {
  if (!IsRead(request, length)) return;
  if (faults.cycle_keys == 0 && !faults.new_keys && faults.records_per_reply <= 1) return;
  std::uint8_t code = request[1];
  Record record;
  if (!NextRecord(faults, code, KeyOf(request + 2), store, state, &record)) return;  // the end reply stands
  reply->assign(record.begin(), record.end());
  for (int n = 1; n < faults.records_per_reply; ++n) {
    if (!NextRecord(faults, code, KeyOf(record.data()), store, state, &record)) break;
    reply->insert(reply->end(), record.begin(), record.end());
  }
}

void ApplyReplyFaults(const Faults& faults, const std::uint8_t* request, std::size_t length,
                      std::vector<std::uint8_t>* reply) {
  if (faults.echo_key && IsRead(request, length)) {
    reply->assign(request + 2, request + 6);
    reply->push_back(0);
    reply->push_back(static_cast<std::uint8_t>(kMinRecordLength));
  }
  if (faults.fixed_reply) *reply = faults.reply_bytes;
  if (faults.short_reply > 0) reply->resize(static_cast<std::size_t>(faults.short_reply), 0);
}

}  // namespace scalesim
