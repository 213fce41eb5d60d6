// The report conversion of one layout (FUZZ_LAYOUT, set by the build): any
// bytes as the incoming file a fetch left, converted into a report file in
// a scratch directory. The report must end with a whole line (CR LF)
// and hold no more than the records that fit the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "converter/report_conversion.h"
#include "converter/report_layouts.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr converter::ReportLayout kLayout = converter::ReportLayout::FUZZ_LAYOUT;
const char kIncoming[] = "QS001T26.DAT";
const char kReport[] = "report.txt";

std::time_t FixedClock() { return 1700000000; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceStandardOutput();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& directory = fuzz::ScratchDirectory();
  fuzz::WriteWholeFile(directory + "/" + kIncoming, data, size);
  std::remove((directory + "/" + kReport).c_str());
  converter::ConversionResult result =
      converter::ConvertReport(directory, kReport, kIncoming, ';', kLayout, FixedClock);

  std::string report = fuzz::ReadWholeFile(directory + "/" + kReport);
  switch (result) {
    case converter::ConversionResult::kNoData:
      FUZZ_CHECK(size < converter::kMinIncomingSize);
      FUZZ_CHECK(report.empty());
      return 0;
    case converter::ConversionResult::kConverted:
    case converter::ConversionResult::kIncomplete:
      break;
    default:
      FUZZ_CHECK(!"a readable incoming file and a writable report gave a failure");
  }
  FUZZ_CHECK(size >= converter::kMinIncomingSize);
  // Text fields are copied as they stand, line feeds included, so lines are
  // not counted by their ends: the report ends with a whole line, and holds
  // at most one line of the longest kind per record that fits the input.
  FUZZ_CHECK(report.empty() || (report.size() >= 2 && report.compare(report.size() - 2, 2, "\r\n") == 0));
  const converter::LayoutTable& table = converter::LayoutOf(kLayout);
  FUZZ_CHECK(report.size() <= size / table.reach * converter::kMaxReportLine);
  return 0;
}
