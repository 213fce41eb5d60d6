#include "converter/plu_file.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "converter/plu_record.h"
#include "converter/price_list.h"
#include "converter/scale_file.h"
#include "converter/text_file.h"
#include "common/scale_file_names.h"
#include "platform/files.h"

namespace converter {
namespace {

const char kPriceListName[] = "VelkoCon.txt";

// Records are gathered here and written in large pieces.
constexpr std::size_t kOutputBufferSize = 1 << 16;

class PluWriter {
 public:
  explicit PluWriter(const common::OwnedFile& file) : file_(file) {}

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
  const common::OwnedFile& file_;
  char buffer_[kOutputBufferSize];
  std::size_t used_ = 0;
};

void ReportRejectedLine(common::MessageSink& messages, long long line_number, Rejection rejection) {
  messages.Print(common::Stream::kErr, "Line %lld rejected: %s\n", line_number, RejectionText(rejection));
}

void ReportRejectedCount(common::MessageSink& messages, long count) {
  if (count == 1) {
    messages.Err("1 line of the price list was rejected\n");
  } else {
    messages.Print(common::Stream::kErr, "%ld lines of the price list were rejected\n", count);
  }
}

common::Status CouldNotOpen() { return common::Status::Error(kFailurePriceList, "Could not open file.\n"); }
common::Status CouldNotRead() { return common::Status::Error(kFailurePriceList, "Could not read file.\n"); }

// Converts every line of the open price list into the open PLU file.
common::Status ConvertLines(const RunContext& context, TextFile* price_list, PluWriter* writer,
                            PriceListCounts* counts) {
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
        ReportRejectedLine(*context.messages, line_number, rejection);
        ++counts->rejected;
        if (rejection == Rejection::kTooFewColumns) ++counts->too_few_columns;
        break;
      case LineResult::kEntry: {
        std::size_t length = BuildPluRecord(entry, context.settings, context.names, record);
        if (!writer->Add(record, length)) return CouldNotWrite();
        ++counts->articles;
        break;
      }
    }
  }
  if (price_list->failed()) return CouldNotRead();
  return common::Status::Ok();
}

}  // namespace

common::Status WritePluFile(const RunContext& context, PriceListCounts* counts) {
  *counts = PriceListCounts();
  TextFile price_list;
  if (!price_list.Open(platform::JoinPath(context.working_directory, kPriceListName))) return CouldNotOpen();
  common::OwnedFile file = CreateScaleFile(platform::JoinPath(
      context.working_directory, common::ConverterFileName(context.scale_identifier, common::DataFile::kF25)));
  if (!file.is_open()) return CouldNotCreate();

  PluWriter writer(file);
  common::Status status = ConvertLines(context, &price_list, &writer, counts);
  price_list.Close();
  if (!status.ok()) return status;
  // The whole list has been read: the count of rejected lines stands even
  // if the file cannot be finished.
  if (counts->rejected > 0) ReportRejectedCount(*context.messages, counts->rejected);
  bool written = writer.Flush();
  if (!file.Close() || !written) return CouldNotWrite();
  return common::Status::Ok();
}

}  // namespace converter
