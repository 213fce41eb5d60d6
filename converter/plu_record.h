// One price-list entry becomes one PLU record of the scale's PLU file, as
// upper-case hex text (two characters a byte, no line end).
//
// Record bytes: 0-3 PLU number (BCD), 4-5 record length, 6 flags, 7-10
// fixed 00 0D 20 and the extra-number mark, 11-14 price (BCD), 15 label
// format, 16 barcode type, 17 barcode prefix, 18-23 item-code field, then
// the extra number (2 bytes, when present) and the name text: 07, length,
// bytes of the first 24-byte line [0D 07 length bytes of the rest] 0C 00.
#pragma once

#include <cstddef>
#include <string_view>

#include "converter/price_list.h"
#include "converter/settings.h"

namespace converter {

// A 99-byte name with an extra number.
constexpr std::size_t kMaxPluRecordBytes = 132;
constexpr std::size_t kMaxPluRecordText = 2 * kMaxPluRecordBytes;

// How many trailing digits of the item code (right-aligned in 10 digits) the
// barcode type places in the item-code field; 0 for a type the barcode rule
// does not list (the start-up refuses those).
int ItemCodeDigits(int barcode_type);

// The barcode type of the entry's record: Barcode Weight Type for a weighed
// item when it is set, else Barcode Type.
int BarcodeTypeOf(const PriceListEntry& entry, const Settings& settings);

// The digits of the item code that a barcode type keeping `digits` digits
// carries: the item code right-aligned in 10 digits, filled with '0', and
// its last `digits` of them. Written to out (room for 10); the result views
// out.
std::string_view ItemCodeKept(std::string_view item_code, int digits, char* out);

// Writes the record's hex text to out, which holds at least
// kMaxPluRecordText characters, and returns the number of characters.
std::size_t BuildPluRecord(const PriceListEntry& entry, const Settings& settings, const NameTable& names,
                           char* out);

}  // namespace converter
