// Reading the records the converter loads: the PLU record (file code 0x25)
// and the store-name record (file code 0x3D).
#pragma once

#include <cstdint>
#include <string>

#include "scalesim/store.h"

namespace scalesim {

// The barcode of a PLU: its prefix byte and the six bytes of its item-code
// field (bytes 17-23 of the record).
constexpr std::size_t kBarcodeLength = 7;

struct Plu {
  std::uint64_t number = 0;        // the key, packed decimal
  bool counted = false;            // else weighed
  bool time_print = false;
  bool has_extra_number = false;
  int extra_number = 0;
  std::uint64_t price = 0;         // in cents; for a weighed item per kilogram
  int label_format = 0;
  int barcode_type = 0;
  int barcode_prefix = 0;
  std::string item_code;           // the 12 digits of the item-code field
  std::uint8_t barcode[kBarcodeLength] = {};  // prefix and item-code field as loaded
  std::string name;                // the name bytes as loaded, lines joined
};

// False if the record is too short for the fixed fields; a name that is
// cut short keeps what could be read.
bool DecodePlu(const Record& record, Plu* plu);

struct StoreName {
  int label_format = 0;
  int font = 0;
  std::string name;  // the name bytes as loaded
};

// The store-name record of key 1; false if the record is too short.
bool DecodeStoreName(const Record& record, StoreName* store_name);

}  // namespace scalesim
