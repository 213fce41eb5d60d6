// How the fault options change the answer to one request.
#pragma once

#include <cstdint>
#include <vector>

#include "scalesim/command_line.h"

namespace scalesim {

// Turns the regular answer to request (a framed request of `length` bytes)
// into the answer the faults ask for:
//   --echo-key      a read is answered with key asked + 00 06, a 6-byte record
//   --reply HEX     every request is answered with those bytes
//   --short-reply N the answer is cut to N bytes, or padded with zero bytes
// applied in that order.
void ApplyReplyFaults(const Faults& faults, const std::uint8_t* request, std::size_t length,
                      std::vector<std::uint8_t>* reply);

}  // namespace scalesim
