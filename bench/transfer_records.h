// The PLU records both transfer benchmarks send: the same bytes for the raw
// ping-pong client (from memory) and for xferlnk (from a record file).
#pragma once

#include <cstddef>
#include <cstdint>

namespace transfer_bench {

constexpr std::size_t kRecordBytes = 80;
constexpr std::uint8_t kPluFileCode = 0x25;

// Record number index: key = index in BCD, length field, then filler that
// changes from record to record.
inline void MakeRecord(long index, std::uint8_t* record) {
  long value = index;
  for (int i = 3; i >= 0; --i) {
    int low = static_cast<int>(value % 10);
    value /= 10;
    int high = static_cast<int>(value % 10);
    value /= 10;
    record[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  record[4] = static_cast<std::uint8_t>(kRecordBytes >> 8);
  record[5] = static_cast<std::uint8_t>(kRecordBytes & 0xFF);
  for (std::size_t k = 6; k < kRecordBytes; ++k) record[k] = static_cast<std::uint8_t>((index * 31 + k * 7) & 0xFF);
}

}  // namespace transfer_bench
