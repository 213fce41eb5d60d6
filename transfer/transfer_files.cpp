#include "transfer/transfer_files.h"

#include <algorithm>
#include <cstring>

#include "common/hex_text.h"

namespace transfer {
namespace {

constexpr long kKeyCharacters = 2 * static_cast<long>(kKeyBytes);
// The length field is the text of bytes 4 and 5: characters 8 to 11.
constexpr long kLengthFieldStart = 8;
constexpr long kLengthFieldEnd = 12;
constexpr std::size_t kCheckChunk = 65536;

bool IsTrailingBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::uint8_t FileNumber(const std::string& file_argument) {
  return common::HexByte(file_argument[1], file_argument[2]);
}

OutgoingTextCheck::OutgoingTextCheck(OutgoingFormat format) : format_(format) {
  if (format_ == OutgoingFormat::kKeys) item_characters_ = kKeyCharacters;
}

void OutgoingTextCheck::Fail(long offset) {
  if (bad_offset_ < 0) bad_offset_ = offset;
}

void OutgoingTextCheck::TakeDigit(char c) {
  if (item_position_ == 0) item_start_ = offset_;
  if (format_ == OutgoingFormat::kRecords && item_position_ >= kLengthFieldStart && item_position_ < kLengthFieldEnd) {
    length_field_ = length_field_ * 16 + common::HexDigitValue(c);
    if (item_position_ + 1 == kLengthFieldEnd) {
      if (length_field_ < kMinRecordBytes || length_field_ > kMaxRecordBytes) {
        Fail(item_start_);
        return;
      }
      item_characters_ = 2L * length_field_;
    }
  }
  ++item_position_;
  if (item_characters_ != 0 && item_position_ == item_characters_) {
    item_position_ = 0;
    ++items_;
    if (format_ == OutgoingFormat::kRecords) {
      item_characters_ = 0;
      length_field_ = 0;
    }
  }
}

void OutgoingTextCheck::Feed(const char* text, std::size_t count) {
  for (std::size_t i = 0; i < count && bad_offset_ < 0; ++i, ++offset_) {
    const char c = text[i];
    if (IsTrailingBlank(c)) {
      if (trailing_start_ < 0) trailing_start_ = offset_;
      continue;
    }
    if (trailing_start_ >= 0) {
      Fail(trailing_start_);
    } else if (!common::IsHexDigit(c)) {
      Fail(offset_);
    } else {
      TakeDigit(c);
    }
  }
}

bool OutgoingTextCheck::Finish() {
  if (bad_offset_ < 0 && item_position_ != 0) Fail(item_start_);
  return bad_offset_ < 0;
}

long OutgoingTextCheck::text_length() const { return trailing_start_ >= 0 ? trailing_start_ : offset_; }

OutgoingFileShape CheckOutgoingFile(platform::InputFile& file, OutgoingFormat format) {
  OutgoingTextCheck check(format);
  char chunk[kCheckChunk];
  std::size_t n = 0;
  platform::SystemStatus read;
  while ((read = file.Read(chunk, sizeof chunk, &n)).ok() && n > 0) check.Feed(chunk, n);
  OutgoingFileShape shape;
  shape.well_formed = check.Finish();
  shape.text_length = check.text_length();
  shape.bad_offset = check.bad_offset();
  shape.items = check.items();
  if (shape.well_formed && !read.ok()) {
    shape.well_formed = false;
    shape.bad_offset = check.text_length();
  }
  return shape;
}

bool OutgoingReader::ReadText(char* text, long count) {
  if (count > left_) return false;
  std::size_t have = 0;
  const std::size_t wanted = static_cast<std::size_t>(count);
  while (have < wanted) {
    if (ahead_begin_ == ahead_end_) {
      std::size_t n = 0;
      if (!file_.Read(ahead_.data(), ahead_.size(), &n).ok() || n == 0) return false;
      ahead_begin_ = 0;
      ahead_end_ = n;
    }
    const std::size_t taken = std::min(wanted - have, ahead_end_ - ahead_begin_);
    std::memcpy(text + have, ahead_.data() + ahead_begin_, taken);
    ahead_begin_ += taken;
    have += taken;
  }
  left_ -= count;
  return true;
}

bool OutgoingReader::NextRecord(std::uint8_t* record, std::size_t* length) {
  const long header_characters = 2 * static_cast<long>(kRecordHeaderBytes);
  if (left_ <= 0 || !ReadText(text_, header_characters)) return false;
  long bytes = common::HexByte(text_[8], text_[9]) * 256L + common::HexByte(text_[10], text_[11]);
  // The file was checked; a file changed since then ends the records here.
  if (bytes < kMinRecordBytes || bytes > kMaxRecordBytes) return false;
  if (!ReadText(text_ + header_characters, 2 * bytes - header_characters)) return false;
  for (long k = 0; k < bytes; ++k) record[k] = common::HexByte(text_[2 * k], text_[2 * k + 1]);
  *length = static_cast<std::size_t>(bytes);
  return true;
}

bool OutgoingReader::NextKey(std::uint8_t* key) {
  if (left_ <= 0 || !ReadText(text_, kKeyCharacters)) return false;
  for (std::size_t k = 0; k < kKeyBytes; ++k) key[k] = common::HexByte(text_[2 * k], text_[2 * k + 1]);
  return true;
}

platform::SystemStatus AppendReply(platform::OutputFile& file, const std::uint8_t* bytes, std::size_t count) {
  char text[2 * kMaxReplyBytes];
  if (count > kMaxReplyBytes) count = kMaxReplyBytes;
  common::BytesToHex(bytes, count, text);
  if (platform::SystemStatus written = file.Write(text, 2 * count); !written.ok()) return written;
  return file.Flush();
}

}  // namespace transfer
