// The four record layouts of the report files, as tables of fields: where
// each field lies in a record of the incoming hex text, how it is decoded,
// and whether a separator follows it on the report line.
#pragma once

#include <cstddef>

namespace converter {

// One layout per report; each bears the name of the settings key that names
// its report file.
enum class ReportLayout { kMGTotal, kPLUTotal, kTransact, kRTBuffer };

enum class FieldKind {
  kNumber,  // decimal digits, written without leading zeros ("0" for all zeros)
  kText,    // written exactly as it stands
  kByte,    // two hex digits, written as the byte's value 0..255
  kTime,    // no characters of the record: the conversion time
};

struct ReportField {
  std::size_t position;  // first character, counted from the record's start
  std::size_t width;     // characters
  FieldKind kind;
  const char* name;      // the column's name in a report's header line
};

struct LayoutTable {
  const ReportField* fields;
  std::size_t field_count;
  // Characters of a record that the fields cover: position + width of the
  // field that reaches furthest.
  std::size_t reach;
  // The record's length in bytes is the byte at characters 10-11 when
  // length_from_record is set; otherwise every record is fixed_length
  // characters long.
  bool length_from_record;
  std::size_t fixed_length;
  // A separator follows the last field too, before the line end.
  bool separator_after_last;
};

// Where a record's length byte lies.
constexpr std::size_t kLengthBytePosition = 10;

// Characters of the conversion time, "dd/mm/yyyy hh:nn:ss".
constexpr std::size_t kConversionTimeLength = 19;

// The longest report line any layout writes, line end included, fits in
// this many characters.
constexpr std::size_t kMaxReportLine = 512;

const LayoutTable& LayoutOf(ReportLayout layout);

}  // namespace converter
