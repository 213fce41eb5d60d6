#include "converter/plu_record_fields.h"

#include "common/hex_text.h"

namespace converter {
namespace {

// Character offsets in the record text (two characters a byte).
constexpr std::size_t kLengthAt = 8;
constexpr std::size_t kLengthChars = 4;
constexpr std::size_t kTimePrintAt = 12;   // high nibble of the flags
constexpr std::size_t kKindAndExtraAt = 13;  // low nibble: 1 counted, 4 extra number
constexpr std::size_t kFixedAt = 14;
constexpr std::size_t kFixedChars = 7;     // 00 0D 20 and the high nibble of the extra-number mark
constexpr std::size_t kExtraMarkAt = 21;
constexpr std::size_t kExtraNumberAt = 48;
constexpr std::size_t kExtraNumberChars = 4;
constexpr int kCountedFlag = 1;
constexpr int kExtraFlag = 4;

struct FixedField {
  const char* name;
  std::size_t at;
  std::size_t chars;
};

// The fields at fixed places after the flags, in record order.
const FixedField kFixedFields[] = {
    {"fixed bytes", kFixedAt, kFixedChars}, {"price", 22, 8},          {"label format", 30, 2},
    {"barcode type", 32, 2},                {"barcode prefix", 34, 2}, {"item code", 36, 12},
};

// The characters of the field; shorter (or empty) where the record ends.
std::string_view Part(std::string_view record, std::size_t at, std::size_t chars) {
  if (at >= record.size()) return std::string_view();
  return record.substr(at, chars);
}

// The low nibble of the flags, or -1 if the record does not reach it.
int KindAndExtra(std::string_view record) {
  if (record.size() <= kKindAndExtraAt) return -1;
  return common::HexDigitValue(record[kKindAndExtraAt]);
}

bool HasExtraNumber(std::string_view record) {
  const int flags = KindAndExtra(record);
  return flags >= 0 && (flags & kExtraFlag) != 0;
}

// The extra number with its mark, empty when the record has none.
std::string ExtraNumber(std::string_view record) {
  if (!HasExtraNumber(record)) return std::string();
  return std::string(Part(record, kExtraMarkAt, 1)) + std::string(Part(record, kExtraNumberAt, kExtraNumberChars));
}

// The name text and its end: all after the item code and extra number.
std::string_view NameText(std::string_view record) {
  return Part(record, kExtraNumberAt + (HasExtraNumber(record) ? kExtraNumberChars : 0), std::string_view::npos);
}

void Add(std::string* fields, const char* name) {
  if (!fields->empty()) *fields += ", ";
  *fields += name;
}

}  // namespace

std::string DifferingPluFields(std::string_view sent, std::string_view held) {
  if (sent == held) return std::string();
  std::string fields;
  if (Part(sent, kTimePrintAt, 1) != Part(held, kTimePrintAt, 1)) Add(&fields, "time print");
  const int sent_flags = KindAndExtra(sent);
  const int held_flags = KindAndExtra(held);
  if (sent_flags < 0 || held_flags < 0 || (sent_flags & kCountedFlag) != (held_flags & kCountedFlag)) {
    Add(&fields, "item kind");
  }
  for (const FixedField& field : kFixedFields) {
    if (Part(sent, field.at, field.chars) != Part(held, field.at, field.chars)) Add(&fields, field.name);
  }
  if (ExtraNumber(sent) != ExtraNumber(held)) Add(&fields, "extra number");
  if (NameText(sent) != NameText(held)) Add(&fields, "name");
  if (fields.empty()) {
    Add(&fields, Part(sent, kLengthAt, kLengthChars) != Part(held, kLengthAt, kLengthChars) ? "record length"
                                                                                              : "record bytes");
  }
  return fields;
}

}  // namespace converter
