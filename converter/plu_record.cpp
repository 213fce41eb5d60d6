#include "converter/plu_record.h"

#include <cstdint>
#include <cstring>

#include "common/hex_text.h"

namespace converter {
namespace {

constexpr int kNotSet = -1;  // a weight setting that leaves the ordinary one in force
constexpr std::size_t kNameLineLength = 24;

constexpr std::size_t kPluNumberChars = 8;
constexpr std::size_t kPriceChars = 8;
constexpr std::size_t kItemCodeChars = 10;  // the item code, right-aligned, before the rule picks
constexpr std::size_t kItemCodeFieldChars = 12;

// Character offsets of the fields in the record text.
constexpr std::size_t kLengthAt = 8;
constexpr std::size_t kFlagsAt = 12;
constexpr std::size_t kFixedAt = 14;
constexpr std::size_t kPriceAt = 22;
constexpr std::size_t kLabelFormatAt = 30;
constexpr std::size_t kBarcodeTypeAt = 32;
constexpr std::size_t kBarcodePrefixAt = 34;
constexpr std::size_t kItemCodeAt = 36;
constexpr std::size_t kExtraNumberAt = 48;

constexpr std::uint8_t kNameLineStart = 0x07;
constexpr std::uint8_t kNameLineBreak = 0x0D;
constexpr std::uint8_t kNameEnd = 0x0C;

// One name line: start byte, length, the translated bytes.
char* PutNameLine(char* out, const char* bytes, std::size_t count) {
  out = common::PutHexByte(out, kNameLineStart);
  out = common::PutHexByte(out, static_cast<unsigned>(count));
  common::BytesToHex(reinterpret_cast<const std::uint8_t*>(bytes), count, out);
  return out + 2 * count;
}

// text right-aligned in width characters, filled with '0' on the left; a
// longer text keeps its last width characters.
void PutRightAligned(char* out, std::size_t width, std::string_view text) {
  if (text.size() > width) text.remove_prefix(text.size() - width);
  std::memset(out, '0', width);
  std::memcpy(out + width - text.size(), text.data(), text.size());
}

void PutItemCodeField(char* out, std::string_view item_code, int barcode_type) {
  std::memset(out, '0', kItemCodeFieldChars);
  ItemCodeKept(item_code, ItemCodeDigits(barcode_type), out);
  out[kItemCodeFieldChars - 1] = '1';
}

}  // namespace

int ItemCodeDigits(int barcode_type) {
  switch (barcode_type) {
    case 11:
    case 18:
      return 2;
    case 17:
    case 19:
      return 3;
    case 9:
    case 15:
      return 4;
    case 1:
    case 3:
    case 5:
    case 7:
    case 10:
    case 13:
    case 16:
    case 21:
      return 5;
    case 2:
    case 4:
    case 6:
    case 14:
      return 6;
    case 20:
      return 7;
    case 8:
      return 10;
    default:
      return 0;
  }
}

int BarcodeTypeOf(const PriceListEntry& entry, const Settings& settings) {
  if (entry.kind == ItemKind::kWeighed && settings.barcode_weight_type != kNotSet) return settings.barcode_weight_type;
  return settings.barcode_type;
}

std::string_view ItemCodeKept(std::string_view item_code, int digits, char* out) {
  char padded[kItemCodeChars];
  PutRightAligned(padded, kItemCodeChars, item_code);
  std::size_t kept = static_cast<std::size_t>(digits);
  std::memcpy(out, padded + kItemCodeChars - kept, kept);
  return std::string_view(out, kept);
}

std::size_t BuildPluRecord(const PriceListEntry& entry, const Settings& settings, const NameTable& names,
                           char* out) {
  const bool counted = entry.kind == ItemKind::kCounted;
  const bool has_extra = entry.extra_number != kNoExtraNumber;
  const int barcode_type = BarcodeTypeOf(entry, settings);
  int barcode_prefix = settings.barcode_prefix;
  if (!counted && settings.barcode_weight_prefix != kNotSet) barcode_prefix = settings.barcode_weight_prefix;

  PutRightAligned(out, kPluNumberChars, entry.plu_number);
  out[kFlagsAt] = settings.time_print != 0 ? '5' : '1';
  out[kFlagsAt + 1] = common::HexDigit((counted ? 1 : 0) + (has_extra ? 4 : 0));
  std::memcpy(out + kFixedAt, has_extra ? "000D2001" : "000D2000", 8);
  std::memcpy(out + kPriceAt, entry.price_digits, kPriceChars);
  common::PutHexByte(out + kLabelFormatAt, static_cast<unsigned>(settings.label_format));
  common::PutHexByte(out + kBarcodeTypeAt, static_cast<unsigned>(barcode_type));
  out[kBarcodePrefixAt] = common::HexDigit(barcode_prefix / 10);
  out[kBarcodePrefixAt + 1] = common::HexDigit(barcode_prefix % 10);
  PutItemCodeField(out + kItemCodeAt, entry.item_code, barcode_type);

  char* end = out + kExtraNumberAt;
  if (has_extra) {
    end[0] = '0';
    end[1] = static_cast<char>('0' + entry.extra_number / 100);
    end[2] = static_cast<char>('0' + entry.extra_number / 10 % 10);
    end[3] = static_cast<char>('0' + entry.extra_number % 10);
    end += 4;
  }

  char translated[kMaxNameLength];
  std::size_t name_length = entry.name.size() < kMaxNameLength ? entry.name.size() : kMaxNameLength;
  TranslateName(names, entry.name.data(), name_length, translated);
  std::size_t first_line = name_length < kNameLineLength ? name_length : kNameLineLength;
  end = PutNameLine(end, translated, first_line);
  if (name_length > kNameLineLength) {
    end = common::PutHexByte(end, kNameLineBreak);
    end = PutNameLine(end, translated + kNameLineLength, name_length - kNameLineLength);
  }
  end = common::PutHexByte(end, kNameEnd);
  end = common::PutHexByte(end, 0x00);

  std::size_t length = static_cast<std::size_t>(end - out);
  std::size_t bytes = length / 2;
  common::PutHexByte(out + kLengthAt, static_cast<unsigned>(bytes >> 8));
  common::PutHexByte(out + kLengthAt + 2, static_cast<unsigned>(bytes & 0xFF));
  return length;
}

}  // namespace converter
