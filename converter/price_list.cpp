#include "converter/price_list.h"

#include "common/decimal_text.h"

namespace converter {
namespace {

// Bytes the shop's code page uses for the Byelorussian-Ukrainian letter I,
// which the scale does not show: they are written as the Latin letters.
constexpr char kCapitalUkrainianI = '\xB2';
constexpr char kSmallUkrainianI = '\xB3';

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDecimalMark(char c) { return c == '.' || c == ','; }

bool IsBlankLine(std::string_view line) {
  for (char c : line) {
    if (!IsBlank(c)) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (!common::IsDecimalDigit(c)) return false;
  }
  return true;
}

void ReplaceLetters(std::string& line) {
  for (char& c : line) {
    if (c == kCapitalUkrainianI) {
      c = 'I';
    } else if (c == kSmallUkrainianI || c == '_') {
      c = 'i';
    }
  }
}

// Digits with at most one decimal mark and at most kMaxPriceDigits digits.
bool IsPrice(std::string_view price) {
  std::size_t digits = 0, marks = 0;
  for (char c : price) {
    if (common::IsDecimalDigit(c)) {
      ++digits;
    } else if (IsDecimalMark(c)) {
      ++marks;
    } else {
      return false;
    }
  }
  return digits <= kMaxPriceDigits && marks <= 1;
}

// Walks the columns of a line from left to right.
class Columns {
 public:
  Columns(std::string_view line, char separator) : line_(line), separator_(separator) {}

  // The next column: up to the next separator or the end of the line.
  std::string_view Next() {
    std::size_t begin = position_;
    std::size_t end = line_.find(separator_, begin);
    if (end == std::string_view::npos) {
      position_ = line_.size();
      ended_by_separator_ = false;
      return line_.substr(begin);
    }
    position_ = end + 1;
    ended_by_separator_ = true;
    return line_.substr(begin, end - begin);
  }

  // Whether the column last read was ended by a separator.
  bool EndedBySeparator() const { return ended_by_separator_; }

  // A further column is present when at least one character follows the
  // separator that ended the column last read.
  bool NextPresent() const { return ended_by_separator_ && position_ < line_.size(); }

 private:
  std::string_view line_;
  char separator_;
  std::size_t position_ = 0;
  bool ended_by_separator_ = false;
};

}  // namespace

LineResult ParsePriceListLine(std::string& line, bool ended_with_line_feed, char separator, bool no_type,
                              PriceListEntry* entry, Rejection* rejection) {
  *rejection = Rejection::kNone;
  if (IsBlankLine(line)) return LineResult::kBlank;
  if (line.size() + (ended_with_line_feed ? 1 : 0) < kMinLineLength) {
    *rejection = Rejection::kTooShort;
    return LineResult::kRejected;
  }
  ReplaceLetters(line);

  Columns columns(line, separator);
  std::string_view plu_number = columns.Next();
  if (!columns.EndedBySeparator()) {
    *rejection = Rejection::kTooFewColumns;
    return LineResult::kRejected;
  }
  std::string_view name = columns.Next();
  if (!columns.EndedBySeparator()) {
    *rejection = Rejection::kTooFewColumns;
    return LineResult::kRejected;
  }
  std::string_view price = TrimBlanks(columns.Next());

  plu_number = TrimBlanks(plu_number);
  if (plu_number.empty() || plu_number.size() > kMaxPluNumberDigits || !AllDigits(plu_number)) {
    *rejection = Rejection::kBadPluNumber;
    return LineResult::kRejected;
  }
  if (!IsPrice(price)) {
    *rejection = Rejection::kBadPrice;
    return LineResult::kRejected;
  }

  PriceListEntry result;
  result.plu_number = plu_number;
  result.name = name.substr(0, kMaxNameLength);
  result.price = price;
  result.item_code = plu_number;

  // Item kind: counted only when its column begins with '1'. Without the
  // column no further column follows.
  if (!no_type) {
    if (!columns.NextPresent()) {
      *entry = result;
      return LineResult::kEntry;
    }
    std::string_view kind = columns.Next();
    if (!kind.empty() && kind[0] == '1') result.kind = ItemKind::kCounted;
  }

  if (columns.NextPresent()) {
    std::string_view extra = columns.Next();
    if (!extra.empty()) {
      int value = common::LeadingDecimalValue(extra);
      if (value != kNoExtraNumber && (value < 0 || value > kMaxExtraNumber)) {
        *rejection = Rejection::kBadExtraNumber;
        return LineResult::kRejected;
      }
      result.extra_number = value;
    }
    if (columns.NextPresent()) {
      std::string_view item_code = TrimBlanks(columns.Next());
      if (!AllDigits(item_code)) {
        *rejection = Rejection::kBadItemCode;
        return LineResult::kRejected;
      }
      if (item_code.size() > kMaxItemCodeDigits) item_code.remove_prefix(item_code.size() - kMaxItemCodeDigits);
      result.item_code = item_code;
    }
  }
  *entry = result;
  return LineResult::kEntry;
}

bool ColumnsEndWithin(std::string_view line, char separator, bool no_type) {
  // PLU number, name, price, [item kind,] extra number, item code.
  const std::size_t columns = no_type ? 5 : 6;
  std::size_t separators = 0;
  for (char c : line) {
    if (c == separator && ++separators == columns) return true;
  }
  return false;
}

const char* RejectionText(Rejection rejection) {
  switch (rejection) {
    case Rejection::kNone:
      return "accepted";
    case Rejection::kTooShort:
      return "line is shorter than 5 characters";
    case Rejection::kTooFewColumns:
      return "fewer than three columns";
    case Rejection::kBadPluNumber:
      return "PLU number is not 1 to 8 digits";
    case Rejection::kBadPrice:
      return "price is not a number of at most 8 digits";
    case Rejection::kBadItemCode:
      return "item code is not a number";
    case Rejection::kBadExtraNumber:
      return "extra number is outside 0 to 999";
    case Rejection::kTooLong:
      return "line is longer than 65536 characters before its item code ends";
  }
  return "malformed";
}

}  // namespace converter
