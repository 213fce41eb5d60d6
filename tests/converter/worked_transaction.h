// The worked transaction the report tests convert: its record as a scale
// sends it, the end reply after the last record, and its report line with
// semicolons as separators.
#pragma once

namespace converter_tests {

inline constexpr char kTransactRecord[] =
    "00000012" "00" "1D" "00000345" "00001000" "00000000" "0001" "00012345" "000100" "1405";
inline constexpr char kEnd[] = "E200000000";
inline constexpr char kTransactLine[] = "12;345;1000;0;1;12345;100;1405;\r\n";

}  // namespace converter_tests
