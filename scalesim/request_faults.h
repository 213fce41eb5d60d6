// How the fault options change what one request does to the store, before
// it is answered: refusals (--nak, --nak-keys) and PLU records stored
// otherwise than they were sent (--alter-plu, --drop-plu).
#pragma once

#include <cstddef>
#include <cstdint>

#include "scalesim/command_line.h"
#include "scalesim/protocol.h"
#include "scalesim/store.h"

namespace scalesim {

// The PLU price: packed decimal in record bytes 11-14.
constexpr std::size_t kPluPriceAt = 11;
constexpr std::size_t kPluPriceLength = 4;

enum class RequestFate {
  kCarryOut,  // as the protocol says
  kRefuse,    // answered with the single byte 15 and not carried out
  kDropPlu,   // a PLU record answered 06 and not stored
  kAlterPlu,  // a PLU record stored with another price, answered 06
};

// What the faults make of a framed request (`frame`, with its bytes), the
// request_number-th of its connection (counted as --close-after counts):
//   --nak N      request N of each connection is refused, whatever it is
//   --nak-keys   every key packet (F3) is refused
//   otherwise a PLU record (a record packet of file code 25) advances the
//   scale's count *plu_records (1 for the first since the emulator started);
//   a count that --drop-plu N divides is dropped, else one that
//   --alter-plu N divides is altered.
// A refused request does not count as a PLU record.
RequestFate DecideRequestFate(const Faults& faults, int request_number, const Frame& frame,
                              const std::uint8_t* request, std::uint64_t* plu_records);

// Gives the PLU record (its `length` bytes) another valid price: the price
// plus 1, 99999999 becoming 0 (a price with a nibble above 9, which counts
// as 0, becomes a valid one all the same). False, and the record left as it
// is, if it is too short to hold a price.
bool AlterPluPrice(std::uint8_t* record, std::size_t length);

}  // namespace scalesim
