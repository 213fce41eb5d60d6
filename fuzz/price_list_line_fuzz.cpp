// A price-list line: the first byte picks the field separator and whether
// the list has an item-kind column; the rest is split into lines at line
// feeds. Every accepted line must give a record of hex digits only.
#include <cstddef>
#include <cstdint>
#include <string>

#include "converter/plu_record.h"
#include "converter/price_list.h"
#include "converter/settings.h"
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
  FUZZ_CHECK(entry.item_code.size() <= converter::kMaxItemCodeDigits && AllDigits(entry.item_code));
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::uint8_t choice = data[0];
  char separator = kSeparators[choice % sizeof kSeparators];
  bool no_type = (choice & 0x10) != 0;
  converter::Settings settings;
  settings.no_type = no_type;
  settings.time_print = (choice & 0x20) != 0;
  settings.barcode_type = 1 + (choice >> 6) * 5;  // 1, 6, 11, 16: all listed types
  converter::NameTable names;
  for (int b = 0; b < 256; ++b) names.map[b] = static_cast<unsigned char>(b);

  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find('\n', begin);
    bool line_feed = end != std::string::npos;
    if (!line_feed) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (!line_feed && line.empty()) break;
    (void)converter::ColumnsEndWithin(line, separator, no_type);
    converter::PriceListEntry entry;
    converter::Rejection rejection = converter::Rejection::kNone;
    converter::LineResult result =
        converter::ParsePriceListLine(line, line_feed, separator, no_type, &entry, &rejection);
    if (result == converter::LineResult::kEntry) {
      FUZZ_CHECK(rejection == converter::Rejection::kNone);
      CheckEntry(entry, settings, names);
    } else if (result == converter::LineResult::kRejected) {
      FUZZ_CHECK(rejection != converter::Rejection::kNone);
      FUZZ_CHECK(converter::RejectionText(rejection) != nullptr);
    }
    begin = end + 1;
  }
  return 0;
}
