#include "scalesim/show.h"

#include <cstdio>

#include "platform/environment.h"
#include "scalesim/files.h"
#include "scalesim/plu_record.h"
#include "scalesim/serve_options.h"
#include "scalesim/server.h"
#include "scalesim/store.h"
#include "scalesim/text_codes.h"

namespace scalesim {
namespace {

constexpr int kDefaultOemCodePage = 437;
constexpr int kLongestCodePage = 65535;
constexpr int kScaleNameLength = 3;

bool ParseCodePagePair(const std::string& text, int* oem) {
  std::size_t colon = text.find(':');
  long long ansi_value = 0, oem_value = 0;
  if (colon == std::string::npos || !ParseCount(text.substr(0, colon), 1, kLongestCodePage, &ansi_value) ||
      !ParseCount(text.substr(colon + 1), 1, kLongestCodePage, &oem_value)) {
    return false;
  }
  *oem = static_cast<int>(oem_value);
  return true;
}

std::string ShowName(const ShowOptions& options, const std::string& bytes) {
  if (options.latin1) return Latin1ToUtf8(bytes);
  std::string text;
  CodePageToUtf8(options.oem_code_page, bytes, &text);
  return text;
}

std::string Money(std::uint64_t cents) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%02llu", static_cast<unsigned long long>(cents / 100),
                static_cast<unsigned long long>(cents % 100));
  return text;
}

const char* TableName(std::uint8_t code) {
  switch (code) {
    case kGroupTotalsCode: return "group totals";
    case kPluTotalsCode: return "PLU totals";
    case kTransactionCode: return "transactions";
    case kClerkTotalsCode: return "clerk totals";
    case kStoreTotalsCode: return "store totals";
    case kRealTimeCode: return "real-time buffer";
    default: return "records";
  }
}

void ShowScale(const ShowOptions& options, int number, const Store& store) {
  std::printf("Scale %03d\n", number);
  auto names = store.tables.find(kStoreNameCode);
  StoreName store_name;
  if (names != store.tables.end() && names->second.count(1) != 0 &&
      DecodeStoreName(names->second.at(1), &store_name)) {
    std::printf("Store name: %s (label format %d, font %d)\n", ShowName(options, store_name.name).c_str(),
                store_name.label_format, store_name.font);
  } else {
    std::printf("Store name: none\n");
  }
  auto plus = store.tables.find(kPluCode);
  std::size_t count = plus == store.tables.end() ? 0 : plus->second.size();
  std::printf("PLUs: %zu\n", count);
  if (count > 0) {
    std::printf("%8s %11s %-8s %4s %6s %-12s %5s %5s %-4s %s\n", "PLU", "Price", "Kind", "Type", "Prefix", "Item code",
                "Label", "Extra", "Time", "Name");
    for (const auto& [key, record] : plus->second) {
      Plu plu;
      if (!DecodePlu(record, &plu)) {
        std::printf("%08X (record too short to read)\n", key);
        continue;
      }
      std::string extra = plu.has_extra_number ? std::to_string(plu.extra_number) : "-";
      std::printf("%8llu %11s %-8s %4d %6d %-12s %5d %5s %-4s %s\n", static_cast<unsigned long long>(plu.number),
                  Money(plu.price).c_str(), plu.counted ? "counted" : "weighed", plu.barcode_type, plu.barcode_prefix,
                  plu.item_code.c_str(), plu.label_format, extra.c_str(), plu.time_print ? "yes" : "no",
                  ShowName(options, plu.name).c_str());
    }
  }
  for (const auto& [code, table] : store.tables) {
    if (code == kPluCode || code == kStoreNameCode || table.empty()) continue;
    std::printf("File code %02X (%s): %zu records\n", code, TableName(code), table.size());
  }
  if (names != store.tables.end() && names->second.size() > (names->second.count(1) != 0 ? 1u : 0u)) {
    std::printf("File code %02X: %zu records\n", kStoreNameCode, names->second.size());
  }
}

bool IsScaleName(const std::string& name) {
  if (name.size() != static_cast<std::size_t>(kScaleNameLength)) return false;
  for (char c : name) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

bool ParseShowArguments(const std::vector<std::string>& arguments, ShowOptions* options, std::string* problem) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (i + 1 >= arguments.size()) {
      *problem = "An option of show has no value\n";
      return false;
    }
    const std::string& value = arguments[++i];
    bool ok = true;
    if (a == "--store") {
      options->store = value;
      ok = !value.empty();
    } else if (a == "--scale") {
      long long number = 0;
      ok = ParseCount(value, 0, kLastScalePort - kFirstScalePort, &number);
      options->scale = static_cast<int>(number);
    } else if (a == "--codepage") {
      if (value == "Win") {
        options->latin1 = true;
      } else if (value == "Dos") {
        options->latin1 = false;
        std::string pair;
        if (!platform::FindEnvironmentVariable("VELKOCON_CODEPAGES", &pair) ||
            !ParseCodePagePair(pair, &options->oem_code_page)) {
          options->oem_code_page = kDefaultOemCodePage;
        }
      } else {
        options->latin1 = false;
        ok = ParseCodePagePair(value, &options->oem_code_page);
      }
    } else {
      *problem = "Unknown option for show\n";
      return false;
    }
    if (!ok) {
      *problem = "An option of show has a wrong value\n";
      return false;
    }
  }
  if (options->store.empty()) {
    *problem = "show needs --store DIR\n";
    return false;
  }
  if (!options->latin1) {
    std::string ignored;
    if (!CodePageToUtf8(options->oem_code_page, "", &ignored)) {
      *problem = "This code page is not known to the system\n";
      return false;
    }
  }
  return true;
}

int Show(const ShowOptions& options) {
  std::vector<int> numbers;
  if (options.scale >= 0) {
    numbers.push_back(options.scale);
  } else {
    for (const std::string& name : ListDirectory(options.store)) {
      if (IsScaleName(name)) numbers.push_back(std::stoi(name));
    }
  }
  if (numbers.empty()) {
    std::fputs("No scale in this store\n", stderr);
    return kExitStartFailed;
  }
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    Store store;
    std::string problem;
    if (!LoadStore(ScaleDirectory(options.store, numbers[i]), &store, &problem)) {
      std::fputs(problem.c_str(), stderr);
      return kExitStartFailed;
    }
    if (i > 0) std::printf("\n");
    ShowScale(options, numbers[i], store);
  }
  return kExitOk;
}

}  // namespace scalesim
