#include "scalesim/show.h"

#include <cstdio>

#include "scalesim/exit_codes.h"
#include "scalesim/files.h"
#include "scalesim/plu_record.h"
#include "scalesim/store.h"
#include "scalesim/text_codes.h"

namespace scalesim {
namespace {

constexpr int kScaleNameLength = 3;

std::string ShowName(const Options& options, const std::string& bytes) { return ShowBytes(options.names, bytes); }

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

void ShowScale(const Options& options, int number, const Store& store, common::MessageSink& messages) {
  messages.Print(common::Stream::kOut, "Scale %03d\n", number);
  auto names = store.tables.find(kStoreNameCode);
  StoreName store_name;
  if (names != store.tables.end() && names->second.count(1) != 0 &&
      DecodeStoreName(names->second.at(1), &store_name)) {
    messages.Print(common::Stream::kOut, "Store name: %s (label format %d, font %d)\n", ShowName(options, store_name.name).c_str(),
                store_name.label_format, store_name.font);
  } else {
    messages.Print(common::Stream::kOut, "Store name: none\n");
  }
  auto plus = store.tables.find(kPluCode);
  std::size_t count = plus == store.tables.end() ? 0 : plus->second.size();
  messages.Print(common::Stream::kOut, "PLUs: %zu\n", count);
  if (count > 0) {
    messages.Print(common::Stream::kOut, "%8s %11s %-8s %4s %6s %-12s %5s %5s %-4s %s\n", "PLU", "Price", "Kind", "Type", "Prefix", "Item code",
                "Label", "Extra", "Time", "Name");
    for (const auto& [key, record] : plus->second) {
      Plu plu;
      if (!DecodePlu(record, &plu)) {
        messages.Print(common::Stream::kOut, "%08X (record too short to read)\n", key);
        continue;
      }
      std::string extra = plu.has_extra_number ? std::to_string(plu.extra_number) : "-";
      messages.Print(common::Stream::kOut, "%8llu %11s %-8s %4d %6d %-12s %5d %5s %-4s %s\n", static_cast<unsigned long long>(plu.number),
                  Money(plu.price).c_str(), plu.counted ? "counted" : "weighed", plu.barcode_type, plu.barcode_prefix,
                  plu.item_code.c_str(), plu.label_format, extra.c_str(), plu.time_print ? "yes" : "no",
                  ShowName(options, plu.name).c_str());
    }
  }
  for (const auto& [code, table] : store.tables) {
    if (code == kPluCode || code == kStoreNameCode || table.empty()) continue;
    messages.Print(common::Stream::kOut, "File code %02X (%s): %zu records\n", code, TableName(code), table.size());
  }
  if (names != store.tables.end() && names->second.size() > (names->second.count(1) != 0 ? 1u : 0u)) {
    messages.Print(common::Stream::kOut, "File code %02X: %zu records\n", kStoreNameCode, names->second.size());
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

int Show(const Options& options, common::MessageSink& messages) {
  std::vector<int> numbers;
  if (options.scale >= 0) {
    if (!IsDirectory(ScaleDirectory(options.store, options.scale))) {
      messages.Err("This scale is not in the store\n");
      return kExitStartFailed;
    }
    numbers.push_back(options.scale);
  } else {
    for (const std::string& name : ListDirectory(options.store)) {
      if (IsScaleName(name)) numbers.push_back(std::stoi(name));
    }
  }
  if (numbers.empty()) {
    messages.Err("No scale in this store\n");
    return kExitStartFailed;
  }
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    Store store;
    std::string problem;
    if (!LoadStore(ScaleDirectory(options.store, numbers[i]), &store, &problem)) {
      messages.Err(problem);
      return kExitStartFailed;
    }
    if (i > 0) messages.Print(common::Stream::kOut, "\n");
    ShowScale(options, numbers[i], store, messages);
  }
  return kExitOk;
}

}  // namespace scalesim
