#include "converter/text_file.h"

#include <algorithm>
#include <cstring>

#include "platform/files.h"

namespace converter {

namespace {
constexpr char kCarriageReturn = '\r';
constexpr char kEndOfText = '\x1A';  // Ctrl-Z
}  // namespace

TextFile::~TextFile() { Close(); }

bool TextFile::Open(const std::string& path) {
  Close();
  std::string name = platform::ResolveName(path);
  if (!platform::FileExists(name)) return false;
  file_ = std::fopen(name.c_str(), "rb");
  begin_ = end_ = 0;
  at_end_ = failed_ = false;
  return file_ != nullptr;
}

void TextFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool TextFile::Fill() {
  if (at_end_ || file_ == nullptr) return false;
  std::size_t n = std::fread(buffer_, 1, kBufferSize, file_);
  if (n == 0) {
    failed_ = std::ferror(file_) != 0;
    at_end_ = true;
    return false;
  }
  const void* stop = std::memchr(buffer_, kEndOfText, n);
  if (stop != nullptr) {
    n = static_cast<std::size_t>(static_cast<const char*>(stop) - buffer_);
    at_end_ = true;
  }
  begin_ = 0;
  end_ = n;
  return n > 0;
}

bool TextFile::ReadLine(std::string* line, bool* ended_with_line_feed, std::size_t max_length, bool* cut) {
  line->clear();
  bool dropped = false;
  bool ended = false;
  for (;;) {
    if (begin_ == end_ && !Fill()) break;
    const char* start = buffer_ + begin_;
    const void* feed = std::memchr(start, '\n', end_ - begin_);
    std::size_t length = feed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(feed) - start)
                                         : end_ - begin_;
    std::size_t room = max_length - std::min(max_length, line->size());
    std::size_t kept = std::min(length, room);
    if (kept < length) dropped = true;
    if (std::memchr(start, kCarriageReturn, kept) == nullptr) {
      line->append(start, kept);
    } else {
      for (std::size_t i = 0; i < kept; ++i) {
        if (start[i] != kCarriageReturn) *line += start[i];
      }
    }
    begin_ += length;
    if (feed != nullptr) {
      ++begin_;
      ended = true;
      break;
    }
  }
  if (ended_with_line_feed != nullptr) *ended_with_line_feed = ended;
  if (cut != nullptr) *cut = dropped;
  // A last line without a line feed counts when it holds something (CRs
  // alone are no line).
  return ended || !line->empty();
}

}  // namespace converter
