#include "converter/plu_file.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "converter/plu_record.h"
#include "converter/price_list.h"
#include "converter/scale_file.h"
#include "converter/text_file.h"
#include "platform/files.h"

namespace converter {
namespace {

const char kPriceListName[] = "VelkoCon.txt";
const char kPluFilePart[] = "F25.dat";

// Records are gathered here and written in large pieces.
constexpr std::size_t kOutputBufferSize = 1 << 16;

class PluWriter {
 public:
  explicit PluWriter(std::FILE* file) : file_(file) {}

  bool Add(const char* text, std::size_t length) {
    if (used_ + length > kOutputBufferSize && !Flush()) return false;
    std::memcpy(buffer_ + used_, text, length);
    used_ += length;
    return true;
  }

  bool Flush() {
    bool ok = WriteScaleText(file_, buffer_, used_);
    used_ = 0;
    return ok;
  }

 private:
  std::FILE* file_;
  char buffer_[kOutputBufferSize];
  std::size_t used_ = 0;
};

void ReportRejectedLine(long long line_number, Rejection rejection) {
  std::fprintf(stderr, "Line %lld rejected: %s\n", line_number, RejectionText(rejection));
}

void ReportRejectedCount(long long count) {
  if (count == 1) {
    std::fputs("1 line of the price list was rejected\n", stderr);
  } else {
    std::fprintf(stderr, "%lld lines of the price list were rejected\n", count);
  }
}

// Converts every line of the open price list into the open PLU file.
// Returns kExitOk or the exit code of a failure, after its message.
int ConvertLines(const RunContext& context, TextFile* price_list, PluWriter* writer, long long* rejected) {
  const bool no_type = context.settings.no_type != 0;
  std::string line;
  bool ended_with_line_feed = false;
  long long line_number = 0;
  PriceListEntry entry;
  Rejection rejection = Rejection::kNone;
  char record[kMaxPluRecordText];
  bool cut = false;
  while (price_list->ReadLine(&line, &ended_with_line_feed, kMaxKeptLineLength, &cut)) {
    ++line_number;
    LineResult result;
    if (cut && !ColumnsEndWithin(line, context.separator, no_type)) {
      result = LineResult::kRejected;
      rejection = Rejection::kTooLong;
    } else {
      result = ParsePriceListLine(line, ended_with_line_feed, context.separator, no_type, &entry, &rejection);
    }
    switch (result) {
      case LineResult::kBlank:
        break;
      case LineResult::kRejected:
        ReportRejectedLine(line_number, rejection);
        ++*rejected;
        break;
      case LineResult::kEntry: {
        std::size_t length = BuildPluRecord(entry, context.settings, context.names, record);
        if (!writer->Add(record, length)) {
          std::fputs("Could not write file.\n", stderr);
          return kExitScaleFile;
        }
        break;
      }
    }
  }
  if (price_list->failed()) {
    std::fputs("Could not read file.\n", stderr);
    return kExitNoPriceList;
  }
  return kExitOk;
}

}  // namespace

int WritePluFile(const RunContext& context, int* rejected_lines) {
  *rejected_lines = 0;
  TextFile price_list;
  if (!price_list.Open(platform::JoinPath(context.working_directory, kPriceListName))) {
    std::fputs("Could not open file.\n", stderr);
    return kExitNoPriceList;
  }
  std::FILE* file = CreateScaleFile(platform::JoinPath(context.working_directory, context.prefix + kPluFilePart));
  if (file == nullptr) {
    std::fputs("Could not create file.\n", stderr);
    return kExitScaleFile;
  }

  PluWriter writer(file);
  long long rejected = 0;
  int result = ConvertLines(context, &price_list, &writer, &rejected);
  price_list.Close();
  if (result != kExitOk) {
    CloseScaleFile(file);
    return result;
  }
  // The whole list has been read: the count of rejected lines stands even
  // if the file cannot be finished.
  if (rejected > 0) ReportRejectedCount(rejected);
  bool written = writer.Flush();
  if (!CloseScaleFile(file) || !written) {
    std::fputs("Could not write file.\n", stderr);
    return kExitScaleFile;
  }
  *rejected_lines = rejected > INT_MAX ? INT_MAX : static_cast<int>(rejected);
  return kExitOk;
}

}  // namespace converter
