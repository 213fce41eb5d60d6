// The report conversion of one layout (FUZZ_LAYOUT, set by the build): any
// bytes as the incoming file a fetch left, converted into a report file in
// a scratch directory. The report must end with a whole line (CR LF), hold
// no more than the records that fit the input, and equal what the
// conversion from memory writes over exactly the input's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "converter/report_conversion.h"
#include "converter/report_layouts.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr converter::ReportLayout kLayout = converter::ReportLayout::FUZZ_LAYOUT;
const char kIncoming[] = "QS001T26.DAT";
const char kReport[] = "report.txt";

// The system's files with a clock that stands still.
struct FixedClockEnv : platform::EnvWrapper {
  FixedClockEnv() : EnvWrapper(platform::SystemEnv()) {}
  platform::LocalTime LocalNow() override { return Moment(); }
  static platform::LocalTime Moment() {
    platform::LocalTime t;
    t.year = 2023;
    t.month = 11;
    t.day = 14;
    t.hour = 22;
    t.minute = 13;
    t.second = 20;
    return t;
  }
};

// A report written to memory.
struct MemoryOutput : platform::OutputFile {
  platform::SystemStatus Write(const char* bytes, std::size_t count) override {
    text.append(bytes, count);
    return platform::SystemStatus::Ok();
  }
  platform::SystemStatus Flush() override { return platform::SystemStatus::Ok(); }
  platform::SystemStatus Truncate(std::uint64_t size) override {
    text.resize(static_cast<std::size_t>(size));
    return platform::SystemStatus::Ok();
  }
  platform::SystemStatus Sync() override { return platform::SystemStatus::Ok(); }
  platform::SystemStatus Close() override { return platform::SystemStatus::Ok(); }
  std::string text;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceStandardOutput();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& directory = fuzz::ScratchDirectory();
  fuzz::WriteWholeFile(directory + "/" + kIncoming, data, size);
  std::remove((directory + "/" + kReport).c_str());
  FixedClockEnv env;
  converter::RecordsEnd converted_end;
  const converter::ConversionResult result =
      converter::ConvertReport(env, directory, kReport, {{}, kIncoming}, ';', kLayout, converter::ReportHeader::kNone,
                               &converted_end)
          .code();

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
  FUZZ_CHECK(report.empty() || (report.size() >= 2 && report.compare(report.size() - 2, 2, "\r\n") == 0));
  // A record takes at least two characters, and a line at most the longest
  // a layout writes.
  FUZZ_CHECK(report.size() <= size / 2 * converter::kMaxReportLine);

  // The same conversion straight from memory, over exactly the input's bytes
  // (a read past them is caught), writes the same report.
  MemoryOutput out;
  std::string time_text = converter::FormatConversionTime(FixedClockEnv::Moment());
  converter::RecordsEnd end = converter::WriteReportLines(reinterpret_cast<const char*>(data), size, ';', kLayout,
                                                          time_text.c_str(), out);
  FUZZ_CHECK(out.text == report);
  FUZZ_CHECK((end == converter::RecordsEnd::kIncomplete) == (result == converter::ConversionResult::kIncomplete));
  return 0;
}
