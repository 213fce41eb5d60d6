// Hex text: every scale file is a run of characters 0-9 and A-F, two per
// byte, high nibble first, upper case, without separators or line ends.
#pragma once

#include <cstddef>
#include <cstdint>

namespace common {

// Upper-case hex digit of a nibble 0..15; any other value gives 0xFF.
char HexDigit(int nibble);

// True for 0-9, A-F and a-f. (This and the two below are inline: the
// transfer files and reports ask them of every character.)
inline bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Value of a hex digit by the scale files' rule: a character above '9' gives
// its low four bits plus 9, any other its low four bits. So 'A'/'a' give 10,
// and characters that are no hex digit give something without an error.
inline int HexDigitValue(char c) {
  const signed char s = static_cast<signed char>(c);
  if (s > '9') return (s & 0x0F) + 9;
  return s & 0x0F;
}

// The byte made from two hex digits by that rule.
inline std::uint8_t HexByte(char high, char low) {
  return static_cast<std::uint8_t>(((HexDigitValue(high) << 4) & 0xFF) | HexDigitValue(low));
}

// Writes the two upper-case hex digits of a byte (its low 8 bits) to out;
// returns the position after them.
char* PutHexByte(char* out, unsigned value);

// Writes 2 * count upper-case hex characters for the bytes to out.
void BytesToHex(const std::uint8_t* bytes, std::size_t count, char* out);

}  // namespace common
