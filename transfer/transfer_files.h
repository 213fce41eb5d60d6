// The file side of a transfer: the file number, the names of the file sent
// (outgoing) and the file filled with the scale's replies (incoming), the
// check and reading of outgoing record and key files, and the writing of
// replies as hex text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/env.h"
#include "transfer/protocol.h"

namespace transfer {

// The shortest file argument: a letter and the two file digits.
constexpr std::size_t kMinFileArgumentLength = 3;

// The byte made from the second and third characters of the file argument
// ("F25.DAT" gives 0x25, "FA5" and "Fa5" give 0xA5). The argument has at
// least kMinFileArgumentLength characters.
std::uint8_t FileNumber(const std::string& file_argument);

enum class OutgoingFormat { kRecords, kKeys };

// Checks an outgoing file's text as it streams past, in constant memory:
// only hex digits; records with a length field from 6 to 6143 (key files:
// groups of 8 digits); the text ends after a whole record or key. Blanks,
// TABs, CRs and LFs are allowed at the very end only.
//
// The offset of a fault, in characters from the start of the file: a stray
// character's own offset (for a blank or line end followed by more text, the
// offset of that blank); for a record length out of range or a record or key
// cut off by the end of the text, the offset where that record or key starts.
class OutgoingTextCheck {
 public:
  explicit OutgoingTextCheck(OutgoingFormat format);
  void Feed(const char* text, std::size_t count);
  // True if the text fed so far is a whole, well-formed file.
  bool Finish();
  long bad_offset() const { return bad_offset_; }
  // The characters before the trailing blanks and line ends.
  long text_length() const;
  // The records or keys that ended so far.
  long items() const { return items_; }

 private:
  void Fail(long offset);
  void TakeDigit(char c);

  OutgoingFormat format_;
  long offset_ = 0;           // characters fed so far
  long trailing_start_ = -1;  // where the current run of blanks began
  long bad_offset_ = -1;      // where the first fault is, -1 while none
  long item_start_ = 0;       // where the current record or key began
  long item_position_ = 0;    // characters of it seen so far
  long item_characters_ = 0;  // its whole text; 0 while not yet known
  int length_field_ = 0;      // the record's length field, digit by digit
  long items_ = 0;            // whole records or keys seen
};

// What the check of a whole outgoing file found.
struct OutgoingFileShape {
  bool well_formed = false;
  long text_length = 0;  // characters before the trailing blanks and line ends
  long bad_offset = -1;  // where the first fault is (a read error: the point reached)
  long items = 0;        // records or keys
};

// Reads the open file from its current position to the end through the check.
OutgoingFileShape CheckOutgoingFile(platform::InputFile& file, OutgoingFormat format);

// Reads records or keys from a checked outgoing file, stopping at the end of
// its text. The file is read ahead in large pieces, not a record at a time.
class OutgoingReader {
 public:
  // The file is positioned at its start; text_length as the check found it.
  OutgoingReader(platform::InputFile& file, long text_length)
      : file_(file), left_(text_length), ahead_(kReadAheadBytes) {}
  // The next record into record (room for kMaxRecordBytes) and its length;
  // false at the end.
  bool NextRecord(std::uint8_t* record, std::size_t* length);
  // The next 4-byte key; false at the end.
  bool NextKey(std::uint8_t* key);

 private:
  bool ReadText(char* text, long count);

  // How much of the file one read of the system asks for.
  static constexpr std::size_t kReadAheadBytes = 64 * 1024;

  platform::InputFile& file_;
  long left_;
  char text_[2 * kMaxRecordBytes];
  std::vector<char> ahead_;  // read from the file, not yet taken
  std::size_t ahead_begin_ = 0;
  std::size_t ahead_end_ = 0;
};

// Appends the reply as upper-case hex text (2 * count characters, no
// separator) and hands it to the system at once, so that a full disk shows
// with the reply that hit it. count is at most kMaxReplyBytes.
platform::SystemStatus AppendReply(platform::OutputFile& file, const std::uint8_t* bytes, std::size_t count);

}  // namespace transfer
