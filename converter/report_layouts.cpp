#include "converter/report_layouts.h"

#include <iterator>

namespace converter {
namespace {

constexpr FieldKind N = FieldKind::kNumber;
constexpr FieldKind T = FieldKind::kText;

// Totals of a group (file F24): the group, the number of its PLUs with
// totals, nine totals of its weighed items and nine of its counted items
// (sales, grams, pieces, amount, then the amount of each of clerks 1 to 5),
// and the date of the last sale.
constexpr ReportField kMGTotalFields[] = {
    {0, 8, N, "Group"},
    {12, 2, N, "PLUs"},
    {16, 8, N, "Weighed sales"},
    {24, 8, N, "Weighed grams"},
    {32, 8, N, "Weighed pieces"},
    {40, 8, N, "Weighed amount"},
    {48, 8, N, "Weighed amount clerk 1"},
    {56, 8, N, "Weighed amount clerk 2"},
    {64, 8, N, "Weighed amount clerk 3"},
    {72, 8, N, "Weighed amount clerk 4"},
    {80, 8, N, "Weighed amount clerk 5"},
    {88, 8, N, "Counted sales"},
    {96, 8, N, "Counted grams"},
    {104, 8, N, "Counted pieces"},
    {112, 8, N, "Counted amount"},
    {120, 8, N, "Counted amount clerk 1"},
    {128, 8, N, "Counted amount clerk 2"},
    {136, 8, N, "Counted amount clerk 3"},
    {144, 8, N, "Counted amount clerk 4"},
    {152, 8, N, "Counted amount clerk 5"},
    {160, 6, T, "Date"},
};

// Totals of an article (file F26): the PLU, its barcode (prefix and
// item-code field), its group, five groups of totals, one per clerk, and
// the date of the last sale.
constexpr ReportField kPLUTotalFields[] = {
    {0, 8, N, "PLU"},       {12, 14, T, "Barcode"},  {28, 4, N, "Group"},
    {32, 8, N, "Sales 1"},  {40, 8, N, "Grams 1"},   {48, 4, N, "Clerk 1"},  {52, 8, N, "Pieces 1"},
    {60, 8, N, "Amount 1"},
    {68, 8, N, "Sales 2"},  {76, 8, N, "Grams 2"},   {84, 4, N, "Clerk 2"},  {88, 8, N, "Pieces 2"},
    {96, 8, N, "Amount 2"},
    {104, 8, N, "Sales 3"}, {112, 8, N, "Grams 3"},  {120, 4, N, "Clerk 3"}, {124, 8, N, "Pieces 3"},
    {132, 8, N, "Amount 3"},
    {140, 8, N, "Sales 4"}, {148, 8, N, "Grams 4"},  {156, 4, N, "Clerk 4"}, {160, 8, N, "Pieces 4"},
    {168, 8, N, "Amount 4"},
    {176, 8, N, "Sales 5"}, {184, 8, N, "Grams 5"},  {192, 4, N, "Clerk 5"}, {196, 8, N, "Pieces 5"},
    {204, 8, N, "Amount 5"},
    {212, 6, T, "Date"},
};

// One transaction (file F30).
constexpr ReportField kTransactFields[] = {
    {0, 8, N, "Ticket"}, {12, 8, N, "PLU"},    {20, 8, N, "Grams"}, {28, 8, N, "Pieces"},
    {36, 4, N, "Clerk"}, {40, 8, N, "Amount"}, {48, 6, N, "Date"},  {54, 4, N, "Time"},
};

// One entry of the real-time buffer (file F64), stamped with the time of the
// conversion.
constexpr ReportField kRTBufferFields[] = {
    {0, 8, N, "Ticket"},
    {20, 8, N, "PLU"},
    {36, 8, N, "Grams"},
    {44, 8, N, "Pieces"},
    {52, 8, N, "Unit price"},
    {84, 8, N, "Amount"},
    {160, 6, T, "Date"},
    {200, 8, N, "Group"},
    {718, 2, FieldKind::kByte, "Clerk"},
    {720, 8, T, "Time"},
    {0, 0, FieldKind::kTime, "Converted"},
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
