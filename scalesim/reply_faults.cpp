#include "scalesim/reply_faults.h"

#include "scalesim/protocol.h"

namespace scalesim {

void ApplyReplyFaults(const Faults& faults, const std::uint8_t* request, std::size_t length,
                      std::vector<std::uint8_t>* reply) {
  if (faults.echo_key && length == kKeyPacketLength && request[0] == kReadPacket) {
    reply->assign(request + 2, request + 6);
    reply->push_back(0);
    reply->push_back(static_cast<std::uint8_t>(kMinRecordLength));
  }
  if (faults.fixed_reply) *reply = faults.reply_bytes;
  if (faults.short_reply > 0) reply->resize(static_cast<std::size_t>(faults.short_reply), 0);
}

}  // namespace scalesim
