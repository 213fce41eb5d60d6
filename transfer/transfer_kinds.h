// Which conversation a file number runs, and the file code it sends.
#pragma once

#include <cstdint>

namespace transfer {

enum class TransferKind {
  kNone,         // connect, exchange nothing, leave the connection open
  kRecordLoad,   // record packets 0xF1 from the outgoing record file
  kKeyLoad,      // key packets 0xF3 from the outgoing key file
  kFilePacket,   // the one file packet 0xF2 0x25
  kPlainRead,    // read packets 0xF7 until an end reply
  kPairedRead,   // read packet 0xF7 and key packet 0xF3 in every pass
};

struct TransferPlan {
  TransferKind kind = TransferKind::kNone;
  std::uint8_t file_code = 0;  // not used by kNone and kFilePacket
};

constexpr std::uint8_t kFileCommandNumber = 0x88;

TransferPlan PlanForFileNumber(std::uint8_t file_number);

}  // namespace transfer
