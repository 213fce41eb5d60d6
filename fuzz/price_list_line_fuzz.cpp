// A price-list line: the first byte picks the field separator, whether the
// list has an item-kind column, time print and the barcode type; the second
// the price decimals and whether the text is UTF-8 to bring to a code page
// first; the rest is split into lines at line feeds. Every accepted line
// must give a record of hex digits only. The rest is also decoded as UTF-16
// at once and in two pieces, which must give the same text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "converter/plu_record.h"
#include "converter/price_list.h"
#include "converter/settings.h"
#include "converter/text_encoding.h"
#include "fuzz/fuzz_support.h"

namespace {

const char kSeparators[] = {',', ';', '#', '.', '\t'};

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

void CheckEntry(const converter::PriceListEntry& entry, const converter::Settings& settings,
                const converter::NameTable& names) {
  FUZZ_CHECK(!entry.plu_number.empty() && entry.plu_number.size() <= converter::kMaxPluNumberDigits);
  FUZZ_CHECK(AllDigits(entry.plu_number));
  FUZZ_CHECK(entry.name.size() <= converter::kMaxNameLength);
  FUZZ_CHECK(AllDigits(entry.item_code));
  FUZZ_CHECK(!entry.item_code.empty());  // an empty item code is none: the PLU number serves
  FUZZ_CHECK(AllDigits(std::string_view(entry.price_digits, sizeof entry.price_digits)));
  FUZZ_CHECK(entry.extra_number == converter::kNoExtraNumber ||
             (entry.extra_number >= 0 && entry.extra_number <= converter::kMaxExtraNumber));
  char record[converter::kMaxPluRecordText + 1];
  record[converter::kMaxPluRecordText] = '\x7F';
  std::size_t n = converter::BuildPluRecord(entry, settings, names, record);
  FUZZ_CHECK(n > 0 && n <= converter::kMaxPluRecordText && n % 2 == 0);
  FUZZ_CHECK(record[converter::kMaxPluRecordText] == '\x7F');
  for (std::size_t i = 0; i < n; ++i) FUZZ_CHECK(IsHex(record[i]));
  // The record's length field (bytes 4-5) counts the whole record.
  unsigned length = 0;
  for (std::size_t i = 8; i < 12; ++i) {
    char c = record[i];
    length = length * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10);
  }
  FUZZ_CHECK(length * 2 == n);
}

// Decoding UTF-16 must not depend on where the text is cut.
void CheckUtf16Pieces(const std::string& text, std::size_t cut, bool big_endian) {
  std::string whole(converter::Utf16Decoder::MaxOutput(text.size()) + 8, '\0');
  converter::Utf16Decoder at_once(big_endian);
  std::size_t n = at_once.Decode(text.data(), text.size(), whole.data());
  n += at_once.Finish(whole.data() + n);
  whole.resize(n);

  std::string pieces(whole.size() + 16, '\0');
  converter::Utf16Decoder in_two(big_endian);
  cut = std::min(cut, text.size());
  std::size_t m = in_two.Decode(text.data(), cut, pieces.data());
  m += in_two.Decode(text.data() + cut, text.size() - cut, pieces.data() + m);
  m += in_two.Finish(pieces.data() + m);
  pieces.resize(m);
  FUZZ_CHECK(pieces == whole);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::uint8_t choice = data[0];
  converter::LineFormat format;
  format.separator = kSeparators[choice % sizeof kSeparators];
  format.no_type = (choice & 0x10) != 0;
  format.price_decimals = data[1] % 6 - 1;  // -1 (digits as they stand) to 4
  format.ukrainian_i = (choice & 2) != 0;
  const bool utf8 = (data[1] & 0x80) != 0;
  converter::Settings settings;
  settings.no_type = format.no_type;
  settings.time_print = (choice & 0x20) != 0;
  settings.barcode_type = 1 + (choice >> 6) * 5;  // 1, 6, 11, 16: all listed types
  converter::NameTable names;
  for (int b = 0; b < 256; ++b) names.map[b] = static_cast<unsigned char>(b);
  // Latin-1 as the code page: byte b is the character U+00b.
  platform::AnsiCodePage latin1;
  for (int b = 0; b < 256; ++b) latin1.characters[b] = static_cast<std::uint32_t>(b);
  const converter::AnsiEncoder encoder(latin1);

  std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  CheckUtf16Pieces(text, data[1], (choice & 1) != 0);
  std::size_t begin = 0;
  std::string encoded;
  while (begin <= text.size()) {
    std::size_t end = text.find('\n', begin);
    bool line_feed = end != std::string::npos;
    if (!line_feed) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (!line_feed && line.empty()) break;
    if (utf8) {
      converter::EncodingLoss loss;
      encoder.Encode(line, &encoded, &loss);
      FUZZ_CHECK(encoded.size() <= line.size());
      line = encoded;
    }
    (void)converter::ColumnsEndWithin(line, format);
    (void)converter::IsHeaderLine(line, format);
    (void)converter::HasThreeColumns(line, format.separator);
    if (std::size_t open = converter::OpenQuoteAt(line, format.separator); open != std::string::npos) {
      FUZZ_CHECK(open < line.size() && line[open] == '"');
      FUZZ_CHECK(converter::EndOfQuote(line, open, format.separator) == converter::QuoteEnd::kOpen);
    }
    converter::PriceListEntry entry;
    converter::Rejection rejection;
    converter::LineResult result = converter::ParsePriceListLine(line, line_feed, format, &entry, &rejection);
    if (result == converter::LineResult::kEntry) {
      FUZZ_CHECK(rejection.reason == converter::RejectionReason::kNone);
      CheckEntry(entry, settings, names);
    } else if (result == converter::LineResult::kRejected) {
      FUZZ_CHECK(rejection.reason != converter::RejectionReason::kNone);
      FUZZ_CHECK(!converter::DescribeRejection(rejection, format).empty());
      // At most 40 bytes quoted, each escaped in at most 4 characters.
      FUZZ_CHECK(converter::QuotedValue(rejection.value).size() <= 2 + 4 * converter::kMaxQuotedValue + 3);
    }
    begin = end + 1;
  }
  return 0;
}
