#include "converter/report_layouts.h"

#include <iterator>

namespace converter {
namespace {

constexpr FieldKind N = FieldKind::kNumber;
constexpr FieldKind T = FieldKind::kText;

// Totals of a group (file F24): the key, a two-digit number, eighteen
// eight-digit totals in two runs of nine, and a six-character text.
constexpr ReportField kMGTotalFields[] = {
    {0, 8, N},   {12, 2, N},  {16, 8, N},  {24, 8, N},  {32, 8, N},  {40, 8, N},  {48, 8, N},
    {56, 8, N},  {64, 8, N},  {72, 8, N},  {80, 8, N},  {88, 8, N},  {96, 8, N},  {104, 8, N},
    {112, 8, N}, {120, 8, N}, {128, 8, N}, {136, 8, N}, {144, 8, N}, {152, 8, N}, {160, 6, T},
};

// Totals of an article (file F26): the key, the 14-character code, a
// four-digit number, five groups of five totals, and a six-character text.
constexpr ReportField kPLUTotalFields[] = {
    {0, 8, N},   {12, 14, T}, {28, 4, N},                                         //
    {32, 8, N},  {40, 8, N},  {48, 4, N},  {52, 8, N},  {60, 8, N},               // group 1
    {68, 8, N},  {76, 8, N},  {84, 4, N},  {88, 8, N},  {96, 8, N},               // group 2
    {104, 8, N}, {112, 8, N}, {120, 4, N}, {124, 8, N}, {132, 8, N},              // group 3
    {140, 8, N}, {148, 8, N}, {156, 4, N}, {160, 8, N}, {168, 8, N},              // group 4
    {176, 8, N}, {184, 8, N}, {192, 4, N}, {196, 8, N}, {204, 8, N},              // group 5
    {212, 6, T},
};

// One transaction (file F30).
constexpr ReportField kTransactFields[] = {
    {0, 8, N}, {12, 8, N}, {20, 8, N}, {28, 8, N}, {36, 4, N}, {40, 8, N}, {48, 6, N}, {54, 4, N},
};

// One entry of the real-time buffer (file F64), stamped with the time of the
// conversion.
constexpr ReportField kRTBufferFields[] = {
    {0, 8, N},   {20, 8, N},  {36, 8, N},  {44, 8, N},           {52, 8, N},  {84, 8, N},
    {160, 6, T}, {200, 8, N}, {718, 2, FieldKind::kByte}, {720, 8, T}, {0, 0, FieldKind::kTime},
};

constexpr std::size_t kRTBufferRecordLength = 728;

template <std::size_t N>
constexpr std::size_t Reach(const ReportField (&fields)[N]) {
  std::size_t reach = 0;
  for (const ReportField& f : fields)
    if (f.position + f.width > reach) reach = f.position + f.width;
  return reach;
}

// The longest line of a layout: every field at its full width (a number
// field that is not all digits is written unchanged; a byte field takes at
// most 3), a separator after each, and CR LF.
template <std::size_t N>
constexpr std::size_t LongestLine(const ReportField (&fields)[N]) {
  std::size_t length = 2;
  for (const ReportField& f : fields) length += (f.kind == FieldKind::kTime ? kConversionTimeLength : f.width + 1) + 1;
  return length;
}

static_assert(Reach(kRTBufferFields) == kRTBufferRecordLength);
static_assert(LongestLine(kMGTotalFields) <= kMaxReportLine);
static_assert(LongestLine(kPLUTotalFields) <= kMaxReportLine);
static_assert(LongestLine(kTransactFields) <= kMaxReportLine);
static_assert(LongestLine(kRTBufferFields) <= kMaxReportLine);

constexpr LayoutTable kTables[] = {
    {kMGTotalFields, std::size(kMGTotalFields), Reach(kMGTotalFields), true, 0, false},
    {kPLUTotalFields, std::size(kPLUTotalFields), Reach(kPLUTotalFields), true, 0, false},
    {kTransactFields, std::size(kTransactFields), Reach(kTransactFields), true, 0, true},
    {kRTBufferFields, std::size(kRTBufferFields), Reach(kRTBufferFields), false, kRTBufferRecordLength, false},
};

}  // namespace

const LayoutTable& LayoutOf(ReportLayout layout) { return kTables[static_cast<int>(layout)]; }

}  // namespace converter
