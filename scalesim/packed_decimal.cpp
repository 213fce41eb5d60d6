#include "scalesim/packed_decimal.h"

namespace scalesim {

void PutPacked(std::uint64_t value, std::size_t bytes, std::uint8_t* out) {
  for (std::size_t i = bytes; i > 0; --i) {
    int low = static_cast<int>(value % 10);
    value /= 10;
    int high = static_cast<int>(value % 10);
    value /= 10;
    out[i - 1] = static_cast<std::uint8_t>((high << 4) | low);
  }
}

std::uint64_t GetPacked(const std::uint8_t* in, std::size_t bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < bytes; ++i) {
    int high = in[i] >> 4, low = in[i] & 0x0F;
    value = value * 10 + (high > 9 ? 0 : high);
    value = value * 10 + (low > 9 ? 0 : low);
  }
  return value;
}

}  // namespace scalesim
