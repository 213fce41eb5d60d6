// The outgoing record and key files of the transfer program: the first byte
// picks records or keys and how the text is cut into pieces for the
// streaming check; the rest is the file. The check must find the same
// answer however the text is cut, and a file it passes must read back as
// whole records or keys that cover its text exactly.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_support.h"
#include "transfer/transfer_files.h"

namespace {

// How many records or keys a file may hold before the harness stops reading.
constexpr int kMaxItems = 100000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  transfer::OutgoingFormat format =
      (data[0] & 1) != 0 ? transfer::OutgoingFormat::kKeys : transfer::OutgoingFormat::kRecords;
  std::size_t piece = 1 + (data[0] >> 1);
  const char* text = reinterpret_cast<const char*>(data + 1);
  std::size_t length = size - 1;

  // In pieces, as a stream.
  transfer::OutgoingTextCheck pieces(format);
  for (std::size_t at = 0; at < length; at += piece) {
    pieces.Feed(text + at, length - at < piece ? length - at : piece);
  }
  bool pieces_ok = pieces.Finish();

  // As a file.
  std::string path = fuzz::ScratchDirectory() + "/qs001f25.dat";
  fuzz::WriteWholeFile(path, data + 1, length);
  std::unique_ptr<platform::InputFile> file;
  FUZZ_CHECK(platform::SystemEnv().OpenForReading(path, &file).ok());
  const transfer::OutgoingFileShape shape = transfer::CheckOutgoingFile(*file, format);
  FUZZ_CHECK(shape.well_formed == pieces_ok);
  if (!shape.well_formed) {
    FUZZ_CHECK(shape.bad_offset == pieces.bad_offset());
    FUZZ_CHECK(shape.bad_offset >= 0 && static_cast<std::size_t>(shape.bad_offset) <= length);
    return 0;
  }
  const long text_length = shape.text_length;
  FUZZ_CHECK(text_length == pieces.text_length());
  FUZZ_CHECK(text_length >= 0 && static_cast<std::size_t>(text_length) <= length);
  FUZZ_CHECK(file->Rewind().ok());

  transfer::OutgoingReader reader(*file, text_length);
  long covered = 0;
  int items = 0;
  if (format == transfer::OutgoingFormat::kKeys) {
    std::uint8_t key[transfer::kKeyBytes];
    while (items < kMaxItems && reader.NextKey(key)) {
      covered += 2 * static_cast<long>(transfer::kKeyBytes);
      ++items;
    }
  } else {
    static std::uint8_t record[transfer::kMaxRecordBytes];
    std::size_t record_length = 0;
    while (items < kMaxItems && reader.NextRecord(record, &record_length)) {
      FUZZ_CHECK(record_length >= transfer::kRecordHeaderBytes &&
                 record_length <= static_cast<std::size_t>(transfer::kMaxRecordBytes));
      FUZZ_CHECK(record_length == static_cast<std::size_t>(record[4]) * 256 + record[5]);
      covered += 2 * static_cast<long>(record_length);
      ++items;
    }
  }
  FUZZ_CHECK(covered == text_length);
  return 0;
}
