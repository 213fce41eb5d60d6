#include "converter/plu_file.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/decimal_text.h"
#include "converter/command_line.h"
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

// Of each kind of warning only the first this many are shown (but with
// -Check); one line counts the rest.
constexpr long long kShownWarningsOfAKind = 10;

// A quoted column (a spreadsheet cell with line ends in it) may run over at
// most this many line ends; a quote still open after them is taken as a
// quote that is not closed.
constexpr std::size_t kMaxLineEndsInAQuote = 10;

// The kinds of warnings, each capped on its own, and how the line that counts
// the rest of a kind names them.
enum class WarningKind { kEncodingLoss, kDuplicatePlu, kLongItemCode, kMixedDecimals, kCount };
const char* const kWarningKindText[] = {
    "characters that became \"?\"",
    "a PLU number given on an earlier line",
    "an item code longer than its barcode type keeps",
    "prices of different numbers of decimals",
};
constexpr std::size_t kWarningKinds = static_cast<std::size_t>(WarningKind::kCount);
static_assert(sizeof kWarningKindText / sizeof kWarningKindText[0] == kWarningKinds);

constexpr std::size_t kSeparatorCount = sizeof kSeparatorChoices / sizeof kSeparatorChoices[0];

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

// The number of decimals a price is written with; -1 for a price without a
// digit (empty, or a mark alone), which says nothing about them.
int DecimalsOf(std::string_view price) {
  if (price.find_first_of("0123456789") == std::string_view::npos) return -1;
  const std::size_t mark = price.find_first_of(".,");
  return mark == std::string_view::npos ? 0 : static_cast<int>(price.size() - mark - 1);
}

// A line as the file gives it.
struct FileLine {
  std::string text;
  bool ended = false;  // a line end followed it
  bool cut = false;    // it was longer than kMaxKeptLineLength
};

// One pass over the lines of the open price list.
class Pass {
 public:
  Pass(const RunContext& context, const AnsiEncoder& encoder, bool decode, platform::OutputFile* plu_file,
       const std::string& plu_path, PriceListCounts* counts)
      : context_(context),
        messages_(*context.messages),
        encoder_(encoder),
        decode_(decode),
        plu_file_(plu_file),
        plu_path_(plu_path),
        counts_(counts),
        all_warnings_(context.mode == RunMode::kCheck) {
    format_.separator = context.separator;
    format_.no_type = context.settings.no_type != 0;
    format_.price_decimals = context.settings.price_decimals;
    format_.ukrainian_i = encoder.code_page() == kUkrainianCodePage;
  }

  RunStatus Run(TextFile* price_list) {
    while (NextLine(price_list, &line_)) {
      const long long number = ++counts_->lines;
      if (line_.ended && !line_.cut) JoinQuotedLines(price_list);
      if (platform::SystemStatus written = TakeLine(number); !written.ok()) return CouldNotWrite(plu_path_, written);
    }
    if (price_list->failed()) return CouldNotRead(price_list->read_status());
    return RunStatus::Ok();
  }

  // What the whole list gave: the warnings not shown, counted by kind, and
  // the count of rejected lines with a hint at the separator.
  void Summarize() {
    for (std::size_t kind = 0; kind < kWarningKinds; ++kind) {
      const long long hidden = all_warnings_ ? 0 : warnings_of_kind_[kind] - kShownWarningsOfAKind;
      if (hidden <= 0) continue;
      messages_.Print(common::Stream::kErr, "Warning: %lld more %s with %s; -Check lists them all\n", hidden,
                      hidden == 1 ? "line" : "lines", kWarningKindText[kind]);
    }
    if (counts_->rejected > 0) ReportRejectedCount(messages_, counts_->rejected);
    HintAtTheSeparator();
  }

 private:
  static constexpr int kUkrainianCodePage = 1251;

  // The next line: one read ahead and put back, else the file's next.
  bool NextLine(TextFile* price_list, FileLine* line) {
    if (!put_back_.empty()) {
      *line = std::move(put_back_.front());
      put_back_.pop_front();
      return true;
    }
    return price_list->ReadLine(&line->text, &line->ended, kMaxKeptLineLength, &line->cut);
  }

  // A line whose quoted column is still open at its end goes on with the
  // lines that follow, each line end one blank, when the column's closing
  // quote comes within kMaxLineEndsInAQuote lines and the 65536 characters,
  // followed by a separator or the line's end. Otherwise the lines read
  // ahead are put back and the line stands alone.
  void JoinQuotedLines(TextFile* price_list) {
    std::size_t open = OpenQuoteAt(line_.text, format_.separator);
    if (open == std::string::npos) return;
    joined_ = line_.text;
    ahead_.clear();
    bool whole = false;
    while (ahead_.size() < kMaxLineEndsInAQuote) {
      FileLine next;
      if (!NextLine(price_list, &next)) break;
      ahead_.push_back(std::move(next));
      const FileLine& last = ahead_.back();
      if (last.cut || joined_.size() + 1 + last.text.size() > kMaxKeptLineLength) break;
      joined_ += ' ';
      joined_ += last.text;
      const QuoteEnd end = EndOfQuote(joined_, open, format_.separator);
      if (end == QuoteEnd::kClosedAmidText) break;
      if (end == QuoteEnd::kClosed) {
        open = OpenQuoteAt(joined_, format_.separator, open);
        if (open == std::string::npos) {
          whole = true;
          break;
        }
      }
      if (!last.ended) break;
    }
    if (whole) {
      line_.text.swap(joined_);
      line_.ended = ahead_.back().ended;
      counts_->lines += static_cast<long long>(ahead_.size());
      return;
    }
    while (!ahead_.empty()) {
      put_back_.push_front(std::move(ahead_.back()));
      ahead_.pop_back();
    }
  }

  // A failure if the PLU file cannot be written.
  platform::SystemStatus TakeLine(long long number) {
    std::string* line = &line_.text;
    EncodingLoss loss;
    if (decode_ && !AnsiEncoder::IsAscii(*line)) {
      encoder_.Encode(*line, &encoded_, &loss);
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
    if (line_.cut && !ColumnsEndWithin(*line, format_)) {
      result = LineResult::kRejected;
      rejection = {RejectionReason::kTooLong, *line};
    } else {
      result = ParsePriceListLine(*line, line_.ended, format_, &entry_, &rejection);
    }
    switch (result) {
      case LineResult::kBlank:
        return platform::SystemStatus::Ok();
      case LineResult::kRejected:
        content_seen_ = true;
        messages_.Print(common::Stream::kErr, "Line %lld rejected: %s\n", number,
                        DescribeRejection(rejection, format_).c_str());
        ++counts_->rejected;
        if (rejection.reason == RejectionReason::kTooFewColumns) CountOtherSeparators(*line);
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

  // Counts a warning of the kind; true if it is to be shown.
  bool Counted(WarningKind kind) {
    ++counts_->warnings;
    return ++warnings_of_kind_[static_cast<std::size_t>(kind)] <= kShownWarningsOfAKind || all_warnings_;
  }

  void Warn(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char text[kMaxWarning];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    messages_.Err(text);
  }

  // The warnings of an accepted line.
  void WarnAbout(long long number, const EncodingLoss& loss) {
    if ((loss.not_utf8 || loss.missing_character) && Counted(WarningKind::kEncodingLoss)) {
      if (loss.not_utf8) {
        Warn("Line %lld warning: bytes that are not UTF-8 became \"?\"\n", number);
      } else {
        Warn("Line %lld warning: characters that code page %d does not have became \"?\"\n", number,
             encoder_.code_page());
      }
    }

    // 1 to 8 digits, as the line was accepted.
    const auto plu_number = static_cast<std::uint32_t>(base::ScanDecimal(entry_.plu_number).value);
    if (long long earlier = plu_lines_.Note(plu_number, number); earlier != 0 && Counted(WarningKind::kDuplicatePlu)) {
      Warn("Line %lld warning: PLU number %lu was already given on line %lld; the scale keeps the article of this "
           "line\n",
           number, static_cast<unsigned long>(plu_number), earlier);
    }

    const std::string_view code = entry_.item_code;
    const std::size_t first_digit = std::min(code.find_first_not_of('0'), code.size());
    const int barcode_type = BarcodeTypeOf(entry_, context_.settings);
    const int digits = ItemCodeDigits(barcode_type);
    if (code.size() - first_digit > static_cast<std::size_t>(digits) && Counted(WarningKind::kLongItemCode)) {
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

    if (format_.price_decimals == kPriceDigitsAsTheyStand) NoteDecimals(number);
  }

  // Without Price Decimals the digits of 12.5 and 12 are taken as they
  // stand (125 and 12): prices written with different numbers of decimals
  // are told once.
  void NoteDecimals(long long number) {
    const int decimals = DecimalsOf(entry_.price);
    if (decimals < 0 || mixed_decimals_told_) return;
    if (first_price_line_ == 0) {
      first_price_ = entry_.price;
      first_price_decimals_ = decimals;
      first_price_line_ = number;
      return;
    }
    if (decimals == first_price_decimals_) return;
    mixed_decimals_told_ = true;
    if (!Counted(WarningKind::kMixedDecimals)) return;
    const std::string price(entry_.price);
    Warn("Warning: the prices have different numbers of decimals (%s on line %lld, %s on line %lld); without Price "
         "Decimals the digits are taken as they stand: set Price Decimals\n",
         first_price_.c_str(), first_price_line_, price.c_str(), number);
  }

  // A line with too few columns for the separator in use: the other
  // separators that would give it three.
  void CountOtherSeparators(std::string_view line) {
    ++too_few_columns_;
    for (std::size_t i = 0; i < kSeparatorCount; ++i) {
      const char separator = kSeparatorChoices[i].separator;
      if (separator != format_.separator && HasThreeColumns(line, separator)) ++other_separator_lines_[i];
    }
  }

  // When more than half of the lines (blank lines and a header aside) have
  // too few columns: the separator that most of those lines would have
  // enough columns with, or, when every line was rejected for too few
  // columns and none of them would, the digits of all the others.
  void HintAtTheSeparator() {
    const long long lines = counts_->articles + counts_->rejected;
    if (too_few_columns_ * 2 <= lines) return;
    std::size_t best = 0;
    for (std::size_t i = 1; i < kSeparatorCount; ++i) {
      if (other_separator_lines_[i] > other_separator_lines_[best]) best = i;
    }
    std::string in_use;
    for (const SeparatorChoice& choice : kSeparatorChoices) {
      if (choice.separator == format_.separator) in_use = choice.name;
    }
    const char* lines_have = too_few_columns_ == lines ? "Every line has" : "Most lines have";
    if (other_separator_lines_[best] * 2 > too_few_columns_) {
      const SeparatorChoice& choice = kSeparatorChoices[best];
      messages_.Print(common::Stream::kErr,
                      "%s too few columns for the separator in use (%s) but would have enough with %s: give the "
                      "separator digit %s.\n",
                      lines_have, in_use.c_str(), choice.name, choice.digit_text);
      return;
    }
    if (too_few_columns_ != lines) return;
    std::string others;
    for (const SeparatorChoice& choice : kSeparatorChoices) {
      if (choice.separator == format_.separator) continue;
      others += std::string(others.empty() ? "" : ", ") + choice.digit_text + " for " + choice.name;
    }
    messages_.Err("Every line has too few columns for the separator in use (" + in_use +
                  "); the separator digit chooses another: " + others + ".\n");
  }

  // A warning line never comes near this length.
  static constexpr std::size_t kMaxWarning = 512;

  const RunContext& context_;
  common::MessageSink& messages_;
  const AnsiEncoder& encoder_;
  const bool decode_;  // the list is Unicode: lines are brought to the ANSI code page
  platform::OutputFile* plu_file_;
  const std::string& plu_path_;
  PriceListCounts* counts_;
  const bool all_warnings_;  // -Check: every warning shown
  LineFormat format_;
  FileLine line_;
  std::deque<FileLine> put_back_;  // lines read ahead for a quoted column and not taken
  std::vector<FileLine> ahead_;
  std::string joined_;
  std::string encoded_;
  PriceListEntry entry_;
  char record_[kMaxPluRecordText];
  PluNumberLines plu_lines_;
  bool content_seen_ = false;  // a line that is neither blank nor the header was read
  long long warnings_of_kind_[kWarningKinds] = {};
  std::string first_price_;  // the first price with a digit, its decimals and line
  int first_price_decimals_ = 0;
  long long first_price_line_ = 0;
  bool mixed_decimals_told_ = false;
  long long too_few_columns_ = 0;  // lines rejected for too few columns
  long long other_separator_lines_[kSeparatorCount] = {};  // of them, those another separator gives three
};

// Price List Encoding=auto, and the list has no byte-order mark: it is read
// as UTF-8 when its bytes are all UTF-8 and some character beyond ASCII is
// one the ANSI code page has, with a note that says so; a list of UTF-8
// whose characters beyond ASCII the code page all lacks is read as ANSI,
// with a note too (a 1252 list whose only high bytes are E acute and a right
// double quote, which pair as the UTF-8 of the letter open o, is such a
// list).
RunStatus ReadsAsUtf8(const RunContext& context, const std::string& path, const AnsiEncoder& encoder, bool* utf8) {
  *utf8 = false;
  Utf8Survey survey(encoder);
  if (platform::SystemStatus read = TextFile::Survey(*context.env, path, &survey); !read.ok()) {
    return CouldNotRead(read);
  }
  if (!survey.utf8() || !survey.beyond_ascii()) return RunStatus::Ok();
  if (survey.kept_character()) {
    *utf8 = true;
    context.messages->Print(common::Stream::kErr,
                            "Note: %s is read as UTF-8 (no byte-order mark); set Price List Encoding=ANSI if it is "
                            "not\n",
                            kPriceListName);
  } else {
    context.messages->Print(common::Stream::kErr,
                            "Note: %s is read as ANSI: its bytes are UTF-8, but code page %d has none of their "
                            "characters beyond ASCII; set Price List Encoding=UTF-8 if it is UTF-8\n",
                            kPriceListName, encoder.code_page());
  }
  return RunStatus::Ok();
}

}  // namespace

RunStatus WritePluFile(const RunContext& context, const std::string& plu_path, PriceListCounts* counts) {
  *counts = PriceListCounts();
  platform::Env& env = *context.env;
  const std::string path = platform::JoinPath(context.working_directory, kPriceListName);
  TextFile price_list;
  const TextEncoding first_guess =
      context.settings.price_list_encoding == PriceListEncoding::kUtf8 ? TextEncoding::kUtf8 : TextEncoding::kBytes;
  if (platform::SystemStatus opened = price_list.Open(env, path, first_guess); !opened.ok()) return CouldNotOpen(opened);
  // The PC's ANSI code page: Unicode text is brought to it before the
  // CodePage translation, and it tells what the bytes 0xB2 and 0xB3 are.
  platform::AnsiCodePage code_page;
  if (platform::SystemStatus status = platform::ReadAnsiCodePage(&code_page); !status.ok()) {
    return status.As(RunFailure::kSettings).WithCause("the price list is read in the PC's ANSI code page");
  }
  const AnsiEncoder encoder(code_page);
  if (price_list.encoding() == TextEncoding::kBytes &&
      context.settings.price_list_encoding == PriceListEncoding::kAuto) {
    bool utf8 = false;
    if (RunStatus surveyed = ReadsAsUtf8(context, path, encoder, &utf8); !surveyed.ok()) return surveyed;
    if (utf8) {
      if (platform::SystemStatus opened = price_list.Open(env, path, TextEncoding::kUtf8); !opened.ok()) {
        return CouldNotOpen(opened);
      }
    }
  }
  std::unique_ptr<platform::OutputFile> plu_file;
  if (RunStatus created = CreateScaleFile(env, plu_path, &plu_file); !created.ok()) return created;
  Pass pass(context, encoder, price_list.encoding() != TextEncoding::kBytes, plu_file.get(), plu_path, counts);
  RunStatus status = pass.Run(&price_list);
  price_list.Close();
  if (!status.ok()) return status;
  // The whole list has been read: what it gave stands even if the file
  // cannot be finished.
  pass.Summarize();
  if (platform::SystemStatus closed = plu_file->Close(); !closed.ok()) return CouldNotWrite(plu_path, closed);
  return RunStatus::Ok();
}

}  // namespace converter
