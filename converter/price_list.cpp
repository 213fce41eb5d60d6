#include "converter/price_list.h"

#include <cstdio>
#include <cstring>

#include "base/decimal_text.h"

namespace converter {
namespace {

// Bytes code page 1251 uses for the Byelorussian-Ukrainian letter I, which
// the scale does not show: they are written as the Latin letters. Other
// code pages have other characters there (1250 l with stroke, 1252 the
// superscripts two and three), which stay.
constexpr char kCapitalUkrainianI = '\xB2';
constexpr char kSmallUkrainianI = '\xB3';
constexpr char kQuote = '"';

// A price whose decimals beyond those Price Decimals keeps are all 0 up to
// this decimal, or all 9 up to it with more digits after them, is less than
// 1e-9 away from a price with the decimals kept: floating-point noise
// (44.369999999999999 is 44.37).
constexpr std::size_t kNoiseDecimal = 9;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDecimalMark(char c) { return c == '.' || c == ','; }

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (!base::IsDecimalDigit(c)) return false;
  }
  return true;
}

void ReplaceLetters(std::string& line, bool ukrainian_i) {
  for (char& c : line) {
    if (c == '_') {
      c = 'i';
    } else if (ukrainian_i && c == kCapitalUkrainianI) {
      c = 'I';
    } else if (ukrainian_i && c == kSmallUkrainianI) {
      c = 'i';
    }
  }
}

// Where a column lies in a line: [begin, end), end at its separator or at
// the line's end. A quoted column runs to its closing quote and on to the
// separator; one without a closing quote runs to the line's end.
struct Column {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool quoted = false;
  bool closed = true;  // false: quoted without a closing quote
  std::size_t after_quote = 0;  // quoted and closed: where the text after the closing quote begins
};

Column FindColumn(std::string_view line, std::size_t begin, char separator) {
  Column column;
  column.begin = begin;
  std::size_t at = begin;
  if (at < line.size() && line[at] == kQuote) {
    column.quoted = true;
    column.closed = false;
    ++at;
    for (;;) {
      std::size_t quote = line.find(kQuote, at);
      if (quote == std::string_view::npos) {
        column.end = line.size();
        return column;
      }
      at = quote + 1;
      if (at < line.size() && line[at] == kQuote) {
        ++at;  // a doubled quote: one quote of the text
        continue;
      }
      column.closed = true;
      column.after_quote = at;
      break;
    }
  }
  std::size_t separator_at = line.find(separator, at);
  column.end = separator_at == std::string_view::npos ? line.size() : separator_at;
  return column;
}

// True for a column with nothing in it: blanks, or a quoted text of blanks.
bool IsEmptyColumn(std::string_view text) {
  text = TrimBlanks(text);
  if (text.size() >= 2 && text.front() == kQuote && text.back() == kQuote) text = TrimBlanks(text.substr(1, text.size() - 2));
  return text.empty();
}

// True for a line whose every column is empty: blanks, or what a formula
// filled past the data leaves (,,"",,,).
bool IsBlankLine(std::string_view line, char separator) {
  std::size_t at = 0;
  for (;;) {
    Column column = FindColumn(line, at, separator);
    if (!IsEmptyColumn(line.substr(column.begin, column.end - column.begin))) return false;
    if (column.end == line.size()) return true;
    at = column.end + 1;
  }
}

// A quoted column's text in place of its first bytes: the opening and the
// closing quote dropped, each doubled quote made one, what follows the
// closing quote kept as it is. Returns the text's length (never more than
// the column's).
std::size_t Unquote(char* column, std::size_t length) {
  std::size_t out = 0;
  std::size_t at = 1;
  while (at < length) {
    if (column[at] == kQuote) {
      if (at + 1 < length && column[at + 1] == kQuote) {
        column[out++] = kQuote;
        at += 2;
        continue;
      }
      ++at;
      break;
    }
    column[out++] = column[at++];
  }
  while (at < length) column[out++] = column[at++];
  return out;
}

// Walks the columns of a line from left to right, taking quoted columns
// out of their quotes in place.
class Columns {
 public:
  Columns(std::string& line, char separator) : line_(line), separator_(separator) {}

  // The next column: up to the next separator (outside quotes) or the end
  // of the line.
  std::string_view Next() {
    Column column = FindColumn(line_, position_, separator_);
    ended_by_separator_ = column.end < line_.size();
    position_ = ended_by_separator_ ? column.end + 1 : line_.size();
    unclosed_ = !column.closed;
    std::size_t length = column.end - column.begin;
    if (column.quoted && column.closed) length = Unquote(line_.data() + column.begin, length);
    return std::string_view(line_).substr(column.begin, length);
  }

  // Whether the column last read opened a quote that it did not close.
  bool Unclosed() const { return unclosed_; }

  // A further column is present when at least one character follows the
  // separator that ended the column last read.
  bool NextPresent() const { return ended_by_separator_ && position_ < line_.size(); }

 private:
  std::string& line_;
  char separator_;
  std::size_t position_ = 0;
  bool ended_by_separator_ = false;
  bool unclosed_ = false;
};

// Adds one to the decimal number in value[0, *length), which has room for
// one more digit.
void RoundUp(char* value, std::size_t* length) {
  for (std::size_t i = *length; i-- > 0;) {
    if (value[i] != '9') {
      ++value[i];
      return;
    }
    value[i] = '0';
  }
  std::memmove(value + 1, value, *length);
  value[0] = '1';
  ++*length;
}

// Reads a price into the record's 8 digits. Digits as they stand: every
// digit in its place, the decimal mark skipped. With decimals: the value
// written with that many decimals, so that 12,5 with 2 gives 1250.
RejectionReason ReadPrice(std::string_view price, int decimals, char digits[kMaxPriceDigits]) {
  std::size_t marks = 0, digit_count = 0, mark_at = price.size();
  for (std::size_t i = 0; i < price.size(); ++i) {
    if (base::IsDecimalDigit(price[i])) {
      ++digit_count;
    } else if (IsDecimalMark(price[i])) {
      ++marks;
      mark_at = i;
    } else {
      return RejectionReason::kBadPrice;
    }
  }
  if (marks > 1) return RejectionReason::kBadPrice;
  std::memset(digits, '0', kMaxPriceDigits);

  // The digits the record gets, in order: the price's own without the mark,
  // or with decimals the whole part and the decimals filled up with zeros
  // (a mark alone is 0). One more place for a carry out of rounding up.
  char value[kMaxPriceDigits + kMaxPriceDecimals + 1];
  std::size_t length = 0;
  if (decimals == kPriceDigitsAsTheyStand) {
    if (digit_count > kMaxPriceDigits) return RejectionReason::kPriceTooLong;
    for (char c : price) {
      if (!IsDecimalMark(c)) value[length++] = c;
    }
  } else {
    std::string_view whole = price.substr(0, mark_at);
    std::string_view fraction = mark_at < price.size() ? price.substr(mark_at + 1) : std::string_view();
    const std::size_t kept = static_cast<std::size_t>(decimals);
    bool round_up = false;
    if (fraction.size() > kept) {
      // More decimals than kept: zeros change nothing, and neither does
      // noise (see kNoiseDecimal; the 9s are rounded up).
      const std::string_view noise = fraction.substr(kept, kNoiseDecimal - kept);
      round_up = noise.size() == kNoiseDecimal - kept && noise.find_first_not_of('9') == std::string_view::npos &&
                 fraction.find_first_not_of('0', kNoiseDecimal) != std::string_view::npos;
      if (!round_up && noise.find_first_not_of('0') != std::string_view::npos) return RejectionReason::kTooManyDecimals;
    }
    while (!whole.empty() && whole[0] == '0') whole.remove_prefix(1);
    if (whole.size() + kept > kMaxPriceDigits + kMaxPriceDecimals) return RejectionReason::kPriceTooLong;
    for (char c : whole) value[length++] = c;
    for (std::size_t i = 0; i < kept; ++i) value[length++] = i < fraction.size() ? fraction[i] : '0';
    if (round_up) RoundUp(value, &length);
  }
  std::size_t first = 0;
  while (first < length && value[first] == '0') ++first;
  if (length - first > kMaxPriceDigits) return RejectionReason::kPriceTooLong;
  std::memcpy(digits + kMaxPriceDigits - (length - first), value + first, length - first);
  return RejectionReason::kNone;
}

LineResult Reject(Rejection* rejection, RejectionReason reason, std::string_view value) {
  rejection->reason = reason;
  rejection->value = value;
  return LineResult::kRejected;
}

bool HasDigit(std::string_view text) {
  for (char c : text) {
    if (base::IsDecimalDigit(c)) return true;
  }
  return false;
}

// True if text holds a character that is none of the given ones.
bool HasOtherThan(std::string_view text, std::string_view characters) {
  return text.find_first_not_of(characters) != std::string_view::npos;
}

}  // namespace

LineResult ParsePriceListLine(std::string& line, bool ended, const LineFormat& format, PriceListEntry* entry,
                              Rejection* rejection) {
  *rejection = Rejection();
  if (IsBlankLine(line, format.separator)) return LineResult::kBlank;
  if (line.size() + (ended ? 1 : 0) < kMinLineLength) return Reject(rejection, RejectionReason::kTooShort, line);
  // The first two columns must each end with a separator; this is looked at
  // before the line changes, so that a rejection quotes it as it was read.
  std::size_t at = 0;
  for (int i = 0; i < 2; ++i) {
    Column column = FindColumn(line, at, format.separator);
    if (!column.closed) {
      return Reject(rejection, RejectionReason::kUnclosedQuote, std::string_view(line).substr(column.begin));
    }
    if (column.end == line.size()) return Reject(rejection, RejectionReason::kTooFewColumns, line);
    at = column.end + 1;
  }
  ReplaceLetters(line, format.ukrainian_i);

  Columns columns(line, format.separator);
  std::string_view plu_number = columns.Next();
  std::string_view name = columns.Next();
  std::string_view price = columns.Next();
  if (columns.Unclosed()) return Reject(rejection, RejectionReason::kUnclosedQuote, price);
  price = TrimBlanks(price);

  plu_number = TrimBlanks(plu_number);
  if (plu_number.empty() || plu_number.size() > kMaxPluNumberDigits || !AllDigits(plu_number)) {
    return Reject(rejection, RejectionReason::kBadPluNumber, plu_number);
  }
  // A paired read begins by clearing key 0 without reading it: the totals of
  // a PLU 0 would be cleared at the first fetch and never reported.
  if (plu_number.find_first_not_of('0') == std::string_view::npos) {
    return Reject(rejection, RejectionReason::kZeroPluNumber, plu_number);
  }
  PriceListEntry result;
  RejectionReason price_problem = ReadPrice(price, format.price_decimals, result.price_digits);
  if (price_problem != RejectionReason::kNone) return Reject(rejection, price_problem, price);

  result.plu_number = plu_number;
  result.name = name.substr(0, kMaxNameLength);
  result.price = price;
  result.item_code = plu_number;
  result.item_code_is_plu_number = true;

  // Item kind: counted only when its column begins with '1'. Without the
  // column no further column follows.
  if (!format.no_type) {
    if (!columns.NextPresent()) {
      *entry = result;
      return LineResult::kEntry;
    }
    std::string_view kind = columns.Next();
    if (columns.Unclosed()) return Reject(rejection, RejectionReason::kUnclosedQuote, kind);
    if (!kind.empty() && kind[0] == '1') result.kind = ItemKind::kCounted;
  }

  if (columns.NextPresent()) {
    std::string_view extra = columns.Next();
    if (columns.Unclosed()) return Reject(rejection, RejectionReason::kUnclosedQuote, extra);
    if (!extra.empty()) {
      int value = base::LeadingDecimalValue(extra);
      if (value < 0 || value > kMaxExtraNumber) return Reject(rejection, RejectionReason::kBadExtraNumber, extra);
      result.extra_number = value;
    }
    if (columns.NextPresent()) {
      std::string_view item_code = columns.Next();
      if (columns.Unclosed()) return Reject(rejection, RejectionReason::kUnclosedQuote, item_code);
      item_code = TrimBlanks(item_code);
      if (!AllDigits(item_code)) return Reject(rejection, RejectionReason::kBadItemCode, item_code);
      // An empty item-code column (a notes column or a separator after it)
      // is no item code: the PLU number serves.
      if (!item_code.empty()) {
        result.item_code = item_code;
        result.item_code_is_plu_number = false;
      }
    }
  }
  *entry = result;
  return LineResult::kEntry;
}

bool HasThreeColumns(std::string_view line, char separator) {
  std::size_t at = 0;
  for (int i = 0; i < 2; ++i) {
    Column column = FindColumn(line, at, separator);
    if (column.end == line.size()) return false;
    at = column.end + 1;
  }
  return true;
}

std::size_t OpenQuoteAt(std::string_view line, char separator, std::size_t from) {
  std::size_t at = from;
  std::size_t next_quote = line.find(kQuote, at);
  while (next_quote != std::string_view::npos) {
    Column column = FindColumn(line, at, separator);
    if (!column.closed) return column.begin;
    if (column.end == line.size()) return std::string_view::npos;
    at = column.end + 1;
    if (next_quote < at) next_quote = line.find(kQuote, at);
  }
  return std::string_view::npos;
}

QuoteEnd EndOfQuote(std::string_view line, std::size_t begin, char separator) {
  Column column = FindColumn(line, begin, separator);
  if (!column.closed) return QuoteEnd::kOpen;
  return column.after_quote == column.end ? QuoteEnd::kClosed : QuoteEnd::kClosedAmidText;
}

bool ColumnsEndWithin(std::string_view line, const LineFormat& format) {
  // PLU number, name, price, [item kind,] extra number, item code.
  const std::size_t columns = format.no_type ? 5 : 6;
  std::size_t at = 0;
  for (std::size_t i = 0; i < columns; ++i) {
    Column column = FindColumn(line, at, format.separator);
    if (column.end == line.size()) return false;
    at = column.end + 1;
  }
  return true;
}

bool IsHeaderLine(std::string_view line, const LineFormat& format) {
  Column plu = FindColumn(line, 0, format.separator);
  if (plu.end == line.size()) return false;
  Column name = FindColumn(line, plu.end + 1, format.separator);
  if (name.end == line.size()) return false;
  Column price = FindColumn(line, name.end + 1, format.separator);
  std::string_view plu_text = line.substr(plu.begin, plu.end - plu.begin);
  std::string_view price_text = line.substr(price.begin, price.end - price.begin);
  return !HasDigit(plu_text) && HasOtherThan(plu_text, "\" \t") && HasOtherThan(price_text, "0123456789.,\" \t");
}

std::string QuotedValue(std::string_view value) {
  const bool cut = value.size() > kMaxQuotedValue;
  if (cut) value = value.substr(0, kMaxQuotedValue);
  std::string quoted = "\"";
  for (char c : value) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      quoted += escaped;
    } else {
      if (c == kQuote || c == '\\') quoted += '\\';
      quoted += c;
    }
  }
  quoted += cut ? "\"..." : "\"";
  return quoted;
}

std::string DescribeRejection(const Rejection& rejection, const LineFormat& format) {
  const std::string value = QuotedValue(rejection.value);
  switch (rejection.reason) {
    case RejectionReason::kNone:
      return "accepted";
    case RejectionReason::kTooShort:
      return "line " + value + " is shorter than 5 characters";
    case RejectionReason::kTooFewColumns:
      return "line " + value + " has fewer than three columns";
    case RejectionReason::kUnclosedQuote:
      return "column " + value + " has no closing quote";
    case RejectionReason::kBadPluNumber:
      return "PLU number " + value + " is not 1 to 8 digits";
    case RejectionReason::kZeroPluNumber:
      return "PLU number " + value + " is 0, whose totals no fetch can report";
    case RejectionReason::kBadPrice:
      return "price " + value + " is not a number";
    case RejectionReason::kPriceTooLong:
      return "price " + value + " does not fit in 8 digits";
    case RejectionReason::kTooManyDecimals:
      return "price " + value + " has more than " + std::to_string(format.price_decimals) + " decimals";
    case RejectionReason::kBadItemCode:
      return "item code " + value + " is not a number";
    case RejectionReason::kBadExtraNumber:
      return "extra number " + value + " is outside 0 to 999";
    case RejectionReason::kTooLong:
      return "line " + value + " is longer than 65536 characters before its item code ends";
  }
  return "malformed";
}

}  // namespace converter
