#include "common/hex_text.h"

namespace common {

char HexDigit(int nibble) {
  if (nibble >= 0 && nibble <= 9) return static_cast<char>('0' + nibble);
  if (nibble >= 10 && nibble <= 15) return static_cast<char>('A' + nibble - 10);
  return static_cast<char>(0xFF);
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int HexDigitValue(char c) {
  signed char s = static_cast<signed char>(c);
  if (s > '9') return (s & 0x0F) + 9;
  return s & 0x0F;
}

std::uint8_t HexByte(char high, char low) {
  return static_cast<std::uint8_t>(((HexDigitValue(high) << 4) & 0xFF) | HexDigitValue(low));
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
