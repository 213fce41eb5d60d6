#include "scalesim/store.h"

#include <cstdio>

#include "common/hex_text.h"
#include "scalesim/files.h"

namespace scalesim {

const char kTableFileName[] = "tables.hex";

Key KeyOf(const std::uint8_t* bytes) {
  return (static_cast<Key>(bytes[0]) << 24) | (static_cast<Key>(bytes[1]) << 16) |
         (static_cast<Key>(bytes[2]) << 8) | static_cast<Key>(bytes[3]);
}

void PutKey(Key key, std::uint8_t* bytes) {
  bytes[0] = static_cast<std::uint8_t>(key >> 24);
  bytes[1] = static_cast<std::uint8_t>(key >> 16);
  bytes[2] = static_cast<std::uint8_t>(key >> 8);
  bytes[3] = static_cast<std::uint8_t>(key);
}

std::size_t LengthField(const std::uint8_t* record) {
  return (static_cast<std::size_t>(record[4]) << 8) | record[5];
}

bool IsWellFormedRecord(const Record& record) {
  if (record.size() < kMinRecordLength || record.size() > kMaxRecordLength) return false;
  return LengthField(record.data()) == record.size();
}

std::string ScaleDirectory(const std::string& root, int scale) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d", scale);
  return root + "/" + name;
}

std::string StoreText(const Store& store) {
  std::string text;
  for (const auto& [code, table] : store.tables) {
    for (const auto& [key, record] : table) {
      char head[3];
      common::BytesToHex(&code, 1, head);
      text.append(head, 2);
      text.push_back(' ');
      std::size_t at = text.size();
      text.resize(at + 2 * record.size());
      common::BytesToHex(record.data(), record.size(), &text[at]);
      text.push_back('\n');
    }
  }
  return text;
}

namespace {

bool AllHex(const std::string& text, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    if (!common::IsHexDigit(text[i])) return false;
  }
  return true;
}

}  // namespace

int ParseStoreText(const std::string& text, Store* store) {
  int skipped = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::size_t length = end - at;
    bool ok = length >= 3 + 2 * kMinRecordLength && length % 2 == 1 && text[at + 2] == ' ' &&
              AllHex(text, at, at + 2) && AllHex(text, at + 3, end);
    if (ok) {
      std::uint8_t code = common::HexByte(text[at], text[at + 1]);
      Record record((length - 3) / 2);
      for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = common::HexByte(text[at + 3 + 2 * i], text[at + 4 + 2 * i]);
      }
      if (IsWellFormedRecord(record)) {
        store->tables[code][KeyOf(record.data())] = std::move(record);
      } else {
        ok = false;
      }
    }
    if (!ok && length > 0) ++skipped;
    at = end + 1;
  }
  return skipped;
}

bool LoadStore(const std::string& scale_directory, Store* store, std::string* problem) {
  store->tables.clear();
  store->dirty = false;
  std::string text;
  bool missing = false;
  if (!ReadWholeFile(scale_directory + "/" + kTableFileName, &text, &missing)) {
    if (missing) return true;
    *problem = "Cannot read a table file of the store\n";
    return false;
  }
  ParseStoreText(text, store);
  return true;
}

bool SaveStore(const std::string& scale_directory, Store* store, std::string* problem) {
  if (!MakeDirectory(scale_directory) ||
      !ReplaceFileAtomically(scale_directory + "/" + kTableFileName, StoreText(*store))) {
    *problem = "Cannot write a table file of the store\n";
    return false;
  }
  store->dirty = false;
  return true;
}

}  // namespace scalesim
