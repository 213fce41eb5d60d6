// Packed decimal (BCD) numbers inside records: two decimal digits a byte,
// high nibble first, most significant byte first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace scalesim {

// Writes value into `bytes` bytes (2 * bytes digits), keeping the lowest
// digits if it has more.
void PutPacked(std::uint64_t value, std::size_t bytes, std::uint8_t* out);

// Reads `bytes` bytes of packed decimal. A nibble above 9 counts as 0.
std::uint64_t GetPacked(const std::uint8_t* in, std::size_t bytes);

}  // namespace scalesim
