#include "scalesim/plu_record.h"

#include <algorithm>

#include "common/hex_text.h"
#include "scalesim/packed_decimal.h"

namespace scalesim {
namespace {

constexpr std::size_t kPluFixedLength = 24;   // up to the end of the item-code field
constexpr std::size_t kBarcodeAt = 17;        // prefix byte, then the item-code field
constexpr std::size_t kItemCodeAt = 18;
constexpr std::size_t kItemCodeLength = 6;
constexpr std::size_t kExtraNumberLength = 2;
constexpr std::uint8_t kNameLineStart = 0x07;
constexpr std::uint8_t kNameLineBreak = 0x0D;
constexpr std::size_t kStoreNameFixedLength = 10;

// Appends the name lines that start at `at`: 07 length bytes [0D 07 length bytes] 0C.
void ReadNameLines(const Record& record, std::size_t at, std::string* name) {
  while (at + 1 < record.size() && record[at] == kNameLineStart) {
    std::size_t length = record[at + 1];
    std::size_t from = at + 2;
    std::size_t to = from + length < record.size() ? from + length : record.size();
    name->append(record.begin() + static_cast<long>(from), record.begin() + static_cast<long>(to));
    at = to;
    if (at < record.size() && record[at] == kNameLineBreak) {
      ++at;
    } else {
      return;
    }
  }
}

}  // namespace

bool DecodePlu(const Record& record, Plu* plu) {
  if (record.size() < kPluFixedLength) return false;
  plu->number = GetPacked(record.data(), 4);
  std::uint8_t flags = record[6];
  plu->time_print = (flags >> 4) >= 5;
  plu->counted = (flags & 0x01) != 0;
  plu->has_extra_number = (flags & 0x04) != 0 || record[10] == 0x01;
  plu->price = GetPacked(record.data() + 11, 4);
  plu->label_format = record[15];
  plu->barcode_type = record[16];
  plu->barcode_prefix = static_cast<int>(GetPacked(record.data() + kBarcodeAt, 1));
  plu->item_code.assign(2 * kItemCodeLength, '0');
  common::BytesToHex(record.data() + kItemCodeAt, kItemCodeLength, &plu->item_code[0]);
  std::copy(record.begin() + kBarcodeAt, record.begin() + kBarcodeAt + kBarcodeLength, plu->barcode);
  std::size_t name_at = kPluFixedLength;
  plu->extra_number = 0;
  if (plu->has_extra_number && record.size() >= kPluFixedLength + kExtraNumberLength) {
    plu->extra_number = static_cast<int>(GetPacked(record.data() + kPluFixedLength, kExtraNumberLength));
    name_at += kExtraNumberLength;
  }
  plu->name.clear();
  ReadNameLines(record, name_at, &plu->name);
  return true;
}

bool DecodeStoreName(const Record& record, StoreName* store_name) {
  if (record.size() < kStoreNameFixedLength) return false;
  store_name->label_format = record[7];
  store_name->font = record[8] & 0x0F;
  std::size_t length = record[9];
  std::size_t end = kStoreNameFixedLength + length;
  if (end > record.size()) end = record.size();
  store_name->name.assign(record.begin() + kStoreNameFixedLength, record.begin() + static_cast<long>(end));
  return true;
}

}  // namespace scalesim
