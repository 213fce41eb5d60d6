#include "common/hex_text.h"

namespace common {

char HexDigit(int nibble) {
  if (nibble >= 0 && nibble <= 9) return static_cast<char>('0' + nibble);
  if (nibble >= 10 && nibble <= 15) return static_cast<char>('A' + nibble - 10);
  return static_cast<char>(0xFF);
}

char* PutHexByte(char* out, unsigned value) {
  out[0] = HexDigit(static_cast<int>((value >> 4) & 0x0F));
  out[1] = HexDigit(static_cast<int>(value & 0x0F));
  return out + 2;
}

void BytesToHex(const std::uint8_t* bytes, std::size_t count, char* out) {
  for (std::size_t i = 0; i < count; ++i) out = PutHexByte(out, bytes[i]);
}

}  // namespace common
