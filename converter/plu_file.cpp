#include "converter/plu_file.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/decimal_text.h"
#include "converter/plu_number_lines.h"
#include "converter/plu_record.h"
#include "converter/plu_verification.h"
#include "converter/price_list.h"
#include "converter/scale_file.h"
#include "converter/text_encoding.h"
#include "converter/text_file.h"
#include "common/scale_file_names.h"
#include "platform/code_pages.h"
#include "platform/env.h"

namespace converter {
namespace {

const char kPriceListName[] = "VelkoCon.txt";


void ReportRejectedCount(common::MessageSink& messages, long long count) {
  if (count == 1) {
    messages.Err("1 line of the price list was rejected\n");
  } else {
    messages.Print(common::Stream::kErr, "%lld lines of the price list were rejected\n", count);
  }
}

RunStatus CouldNotOpen(const platform::SystemStatus& reason) {
  return reason.As(RunFailure::kPriceList, "Could not open file.")
      .WithCause(std::string("cannot open ") + kPriceListName + ": " + reason.message());
}
RunStatus CouldNotRead(const platform::SystemStatus& reason) {
  return reason.As(RunFailure::kPriceList, "Could not read file.")
      .WithCause(std::string("cannot read ") + kPriceListName + ": " + reason.message());
}


// One pass over the lines of the open price list.
class Pass {
 public:
  Pass(const RunContext& context, const AnsiEncoder* encoder, platform::OutputFile* plu_file,
       const std::string& plu_path, PriceListCounts* counts)
      : context_(context),
        messages_(*context.messages),
        encoder_(encoder),
        plu_file_(plu_file),
        plu_path_(plu_path),
        counts_(counts) {
    format_.separator = context.separator;
    format_.no_type = context.settings.no_type != 0;
    format_.price_decimals = context.settings.price_decimals;
  }

  RunStatus Run(TextFile* price_list) {
    bool ended = false;
    bool cut = false;
    while (price_list->ReadLine(&read_, &ended, kMaxKeptLineLength, &cut)) {
      ++counts_->lines;
      if (platform::SystemStatus written = TakeLine(ended, cut); !written.ok()) return CouldNotWrite(plu_path_, written);
    }
    if (price_list->failed()) return CouldNotRead(price_list->read_status());
    return RunStatus::Ok();
  }

 private:
  // A failure if the PLU file cannot be written.
  platform::SystemStatus TakeLine(bool ended, bool cut) {
    const long long number = counts_->lines;
    std::string* line = &read_;
    EncodingLoss loss;
    if (encoder_ != nullptr && !AnsiEncoder::IsAscii(read_)) {
      encoder_->Encode(read_, &encoded_, &loss);
      line = &encoded_;
    }
    if (!content_seen_ && IsHeaderLine(*line, format_)) {
      messages_.Print(common::Stream::kErr, "Line %lld skipped as a header: %s\n", number,
                      QuotedValue(*line).c_str());
      counts_->header_skipped = true;
      content_seen_ = true;
      return platform::SystemStatus::Ok();
    }

    LineResult result;
    Rejection rejection;
    if (cut && !ColumnsEndWithin(*line, format_)) {
      result = LineResult::kRejected;
      rejection = {RejectionReason::kTooLong, *line};
    } else {
      result = ParsePriceListLine(*line, ended, format_, &entry_, &rejection);
    }
    switch (result) {
      case LineResult::kBlank:
        return platform::SystemStatus::Ok();
      case LineResult::kRejected:
        content_seen_ = true;
        messages_.Print(common::Stream::kErr, "Line %lld rejected: %s\n", number,
                        DescribeRejection(rejection, format_).c_str());
        ++counts_->rejected;
        if (rejection.reason == RejectionReason::kTooFewColumns) ++counts_->too_few_columns;
        if (std::uint32_t key = 0; RejectedLineKey(*line, format_.separator, &key)) counts_->rejected_keys.push_back(key);
        return platform::SystemStatus::Ok();
      case LineResult::kEntry:
        content_seen_ = true;
        ++counts_->articles;
        WarnAbout(number, loss);
        return plu_file_->Write(record_, BuildPluRecord(entry_, context_.settings, context_.names, record_));
    }
    return platform::SystemStatus::Ok();
  }

  void Warn(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char text[kMaxWarning];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    messages_.Err(text);
    ++counts_->warnings;
  }

  // The warnings of an accepted line.
  void WarnAbout(long long number, const EncodingLoss& loss) {
    if (loss.not_utf8) {
      Warn("Line %lld warning: bytes that are not UTF-8 became \"?\"\n", number);
    } else if (loss.missing_character) {
      Warn("Line %lld warning: characters that code page %d does not have became \"?\"\n", number,
           encoder_->code_page());
    }

    // 1 to 8 digits, as the line was accepted.
    const auto plu_number = static_cast<std::uint32_t>(base::ScanDecimal(entry_.plu_number).value);
    if (long long earlier = plu_lines_.Note(plu_number, number); earlier != 0) {
      Warn("Line %lld warning: PLU number %lu was already given on line %lld; the scale keeps the article of this "
           "line\n",
           number, static_cast<unsigned long>(plu_number), earlier);
    }

    const std::string_view code = entry_.item_code;
    const std::size_t first_digit = std::min(code.find_first_not_of('0'), code.size());
    const int barcode_type = BarcodeTypeOf(entry_, context_.settings);
    const int digits = ItemCodeDigits(barcode_type);
    if (code.size() - first_digit > static_cast<std::size_t>(digits)) {
      char kept[kMaxItemCodeDigits];
      const std::string kept_text(ItemCodeKept(code, digits, kept));
      const std::string quoted = QuotedValue(code);
      Warn(entry_.item_code_is_plu_number
               ? "Line %lld warning: PLU number %s, the item code, is longer than the %d digits barcode type %d "
                 "keeps; the barcode carries %s\n"
               : "Line %lld warning: item code %s is longer than the %d digits barcode type %d keeps; the barcode "
                 "carries %s\n",
           number, quoted.c_str(), digits, barcode_type, kept_text.c_str());
    }
  }

  // A warning line never comes near this length.
  static constexpr std::size_t kMaxWarning = 512;

  const RunContext& context_;
  common::MessageSink& messages_;
  const AnsiEncoder* encoder_;
  platform::OutputFile* plu_file_;
  const std::string& plu_path_;
  PriceListCounts* counts_;
  LineFormat format_;
  std::string read_;
  std::string encoded_;
  PriceListEntry entry_;
  char record_[kMaxPluRecordText];
  PluNumberLines plu_lines_;
  bool content_seen_ = false;  // a line that is neither blank nor the header was read
};

}  // namespace

RunStatus WritePluFile(const RunContext& context, const std::string& plu_path, PriceListCounts* counts) {
  *counts = PriceListCounts();
  platform::Env& env = *context.env;
  TextFile price_list;
  TextEncoding unmarked = context.settings.price_list_utf8 ? TextEncoding::kUtf8 : TextEncoding::kBytes;
  if (platform::SystemStatus opened =
          price_list.Open(env, platform::JoinPath(context.working_directory, kPriceListName), unmarked);
      !opened.ok()) {
    return CouldNotOpen(opened);
  }
  // Text in Unicode is brought to the PC's ANSI code page, which the CodePage
  // translation starts from.
  std::unique_ptr<AnsiEncoder> encoder;
  if (price_list.encoding() != TextEncoding::kBytes) {
    platform::AnsiCodePage code_page;
    platform::SystemStatus status = platform::ReadAnsiCodePage(&code_page);
    if (!status.ok()) return status.As(RunFailure::kSettings);
    encoder = std::make_unique<AnsiEncoder>(code_page);
  }
  std::unique_ptr<platform::OutputFile> plu_file;
  if (RunStatus created = CreateScaleFile(env, plu_path, &plu_file); !created.ok()) return created;
  Pass pass(context, encoder.get(), plu_file.get(), plu_path, counts);
  RunStatus status = pass.Run(&price_list);
  price_list.Close();
  if (!status.ok()) return status;
  // The whole list has been read: the count of rejected lines stands even
  // if the file cannot be finished.
  if (counts->rejected > 0) ReportRejectedCount(*context.messages, counts->rejected);
  if (platform::SystemStatus closed = plu_file->Close(); !closed.ok()) return CouldNotWrite(plu_path, closed);
  return RunStatus::Ok();
}

}  // namespace converter
