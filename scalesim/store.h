// What a scale holds: one table of records per file code, each keyed by the
// record's first four bytes, and how a table set is kept on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace scalesim {

// A record is at least its key and length field, and at most what one
// record packet carries.
constexpr std::size_t kMinRecordLength = 6;
constexpr std::size_t kMaxRecordLength = 6143;

// The file codes this program knows by name.
constexpr std::uint8_t kGroupTotalsCode = 0x24;
constexpr std::uint8_t kPluCode = 0x25;
constexpr std::uint8_t kPluTotalsCode = 0x26;
constexpr std::uint8_t kTransactionCode = 0x2E;
constexpr std::uint8_t kStoreNameCode = 0x3D;
constexpr std::uint8_t kClerkTotalsCode = 0x45;
constexpr std::uint8_t kStoreTotalsCode = 0x46;
constexpr std::uint8_t kRealTimeCode = 0x51;

// The name of the table file inside a scale's directory.
extern const char kTableFileName[];

using Key = std::uint32_t;
using Record = std::vector<std::uint8_t>;
using Table = std::map<Key, Record>;

struct Store {
  std::map<std::uint8_t, Table> tables;
  bool dirty = false;  // changed since it was last written
};

// The big-endian key in bytes 0-3.
Key KeyOf(const std::uint8_t* bytes);
void PutKey(Key key, std::uint8_t* bytes);
// The big-endian length field in bytes 4-5.
std::size_t LengthField(const std::uint8_t* record);
// True if record has a length field between the limits that equals its size.
bool IsWellFormedRecord(const Record& record);

// The directory of scale number `scale` below `root`: root/001 for scale 1.
std::string ScaleDirectory(const std::string& root, int scale);

// Reads the table file of a scale directory. A missing file is an empty
// store; lines that do not hold a well-formed record are skipped. False (and
// a message) only if an existing file cannot be read.
bool LoadStore(const std::string& scale_directory, Store* store, std::string* problem);

// Writes the table file anew (new file, flushed to disk, renamed over the
// old one), creating the directory if need be, and clears the dirty mark.
bool SaveStore(const std::string& scale_directory, Store* store, std::string* problem);

// The text of the table file: one line per record, "CC HEX...\n" with the
// file code and the record in upper-case hex, tables in file-code order and
// records in key order.
std::string StoreText(const Store& store);
// Fills store from such a text; returns the count of lines skipped.
int ParseStoreText(const std::string& text, Store* store);

}  // namespace scalesim
