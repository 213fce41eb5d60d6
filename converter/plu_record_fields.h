// The fields in which two PLU records differ, named as the operator knows
// them, by the record layout of converter/plu_record.h.
#pragma once

#include <string>
#include <string_view>

namespace converter {

// The fields in which the held record (the scale's) differs from the sent
// one, both as hex text, in the order of the record, joined by ", ": "time
// print", "item kind", "fixed bytes", "price", "label format", "barcode
// type", "barcode prefix", "item code", "extra number", "name" (the name
// text and its end). A field the shorter record does not reach counts as
// differing. When no field differs but the texts do, "record length" or
// "record bytes". Empty for equal records.
std::string DifferingPluFields(std::string_view sent, std::string_view held);

}  // namespace converter
