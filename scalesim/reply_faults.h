// How the fault options change the answer to one request.
#pragma once

#include <cstdint>
#include <vector>

#include "scalesim/command_line.h"
#include "scalesim/store.h"

namespace scalesim {

// The record --cycle-keys and --new-keys answer with: the key, the length
// field 00 08 and two zero bytes.
constexpr std::size_t kMadeUpRecordLength = 8;

// What the read faults remember of one connection.
struct ReadFaultState {
  Key highest_new_key = 0;  // the highest key --new-keys handed out on it
};

// Turns the regular answer to a read request (F7, file code, key; any other
// request is left alone) into the answer the read faults ask for:
//   --cycle-keys N         the record of key (key asked mod N) + 1, made up
//   --new-keys             the record of a key above every key asked or
//                          handed out on this connection, made up
//   (neither)              the first record of the table above the key asked
//   --records-per-reply N  that record and the N - 1 that follow it by the
//                          same rule, back to back (fewer where the table
//                          ends); an end reply stays alone
// --cycle-keys wins over --new-keys. Nothing changes without any of them.
void ApplyReadFaults(const Faults& faults, const std::uint8_t* request, std::size_t length, const Store& store,
                     ReadFaultState* state, std::vector<std::uint8_t>* reply);

// Turns the regular answer to request (a framed request of `length` bytes)
// into the answer the faults ask for:
//   --echo-key      a read is answered with key asked + 00 06, a 6-byte record
//   --reply HEX     every request is answered with those bytes
//   --short-reply N the answer is cut to N bytes, or padded with zero bytes
// applied in that order.
void ApplyReplyFaults(const Faults& faults, const std::uint8_t* request, std::size_t length,
                      std::vector<std::uint8_t>* reply);

}  // namespace scalesim
