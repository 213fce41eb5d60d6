#include "converter/text_file.h"

#include <algorithm>
#include <cstring>


namespace converter {

namespace {
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfText = '\x1A';  // Ctrl-Z

bool IsUtf16(TextEncoding encoding) {
  return encoding == TextEncoding::kUtf16Le || encoding == TextEncoding::kUtf16Be;
}
}  // namespace

TextFile::~TextFile() { Close(); }

platform::SystemStatus TextFile::Open(platform::Env& env, const std::string& path, TextEncoding unmarked) {
  Close();
  if (env.Stat(path).folder) return platform::Failure("it is a folder");
  if (platform::SystemStatus opened = env.OpenForReading(path, &file_); !opened.ok()) return opened;
  begin_ = end_ = 0;
  skip_line_feed_ = at_end_ = false;
  read_status_ = platform::SystemStatus::Ok();
  if (text_ == nullptr) text_ = std::make_unique<char[]>(kTextSize);

  // The mark is read on its own; what follows it is the start of the text.
  char head[kMaxMarkLength];
  std::size_t read = 0;
  while (read < sizeof head) {
    std::size_t count = 0;
    read_status_ = file_->Read(head + read, sizeof head - read, &count);
    if (!read_status_.ok()) at_end_ = true;  // the reads that follow tell
    if (count == 0 || !read_status_.ok()) break;
    read += count;
  }
  std::size_t mark_length = 0;
  encoding_ = EncodingOfMark(head, read, unmarked, &mark_length);
  if (IsUtf16(encoding_)) {
    decoder_ = Utf16Decoder(encoding_ == TextEncoding::kUtf16Be);
    if (raw_ == nullptr) raw_ = std::make_unique<char[]>(kReadSize);
  }
  Take(head + mark_length, read - mark_length);
  return platform::SystemStatus::Ok();
}

void TextFile::Close() { file_.reset(); }

platform::SystemStatus TextFile::Survey(platform::Env& env, const std::string& path, Utf8Survey* survey) {
  std::unique_ptr<platform::InputFile> file;
  if (platform::SystemStatus opened = env.OpenForReading(path, &file); !opened.ok()) return opened;
  std::unique_ptr<char[]> piece = std::make_unique<char[]>(kReadSize);
  for (;;) {
    std::size_t n = 0;
    if (platform::SystemStatus read = file->Read(piece.get(), kReadSize, &n); !read.ok()) return read;
    if (n == 0) break;
    const void* stop = std::memchr(piece.get(), kEndOfText, n);
    if (stop != nullptr) n = static_cast<std::size_t>(static_cast<const char*>(stop) - piece.get());
    if (!survey->Look(piece.get(), n)) return platform::SystemStatus::Ok();
    if (stop != nullptr) break;
  }
  survey->Finish();
  return platform::SystemStatus::Ok();
}

void TextFile::Take(const char* raw, std::size_t size) {
  std::size_t n = size;
  if (IsUtf16(encoding_)) {
    n = decoder_.Decode(raw, size, text_.get());
  } else if (raw != text_.get()) {
    std::memcpy(text_.get(), raw, size);
  }
  const void* stop = std::memchr(text_.get(), kEndOfText, n);
  if (stop != nullptr) {
    n = static_cast<std::size_t>(static_cast<const char*>(stop) - text_.get());
    at_end_ = true;
  }
  begin_ = 0;
  end_ = n;
}

bool TextFile::Fill() {
  while (begin_ == end_) {
    if (at_end_ || file_ == nullptr) return false;
    const bool utf16 = IsUtf16(encoding_);
    char* into = utf16 ? raw_.get() : text_.get();
    std::size_t n = 0;
    read_status_ = file_->Read(into, kReadSize, &n);
    if (read_status_.ok() && n > 0) {
      Take(into, n);
      continue;
    }
    at_end_ = true;
    if (utf16) {
      // What the last piece left undecoded.
      begin_ = 0;
      end_ = decoder_.Finish(text_.get());
    }
  }
  return true;
}

bool TextFile::ReadLine(std::string* line, bool* ended, std::size_t max_length, bool* cut) {
  line->clear();
  bool dropped = false;
  bool ended_here = false;
  for (;;) {
    if (begin_ == end_ && !Fill()) break;
    if (skip_line_feed_) {
      // The line feed of a carriage return and line feed pair.
      skip_line_feed_ = false;
      if (text_[begin_] == kLineFeed) {
        ++begin_;
        continue;
      }
    }
    const char* start = text_.get() + begin_;
    const std::size_t left = end_ - begin_;
    const void* feed = std::memchr(start, kLineFeed, left);
    std::size_t length = feed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(feed) - start) : left;
    const void* carriage_return = std::memchr(start, kCarriageReturn, length);
    if (carriage_return != nullptr) {
      length = static_cast<std::size_t>(static_cast<const char*>(carriage_return) - start);
    }
    std::size_t room = max_length - std::min(max_length, line->size());
    std::size_t kept = std::min(length, room);
    if (kept < length) dropped = true;
    line->append(start, kept);
    begin_ += length;
    if (feed != nullptr || carriage_return != nullptr) {
      skip_line_feed_ = carriage_return != nullptr;
      ++begin_;
      ended_here = true;
      break;
    }
  }
  if (ended != nullptr) *ended = ended_here;
  if (cut != nullptr) *cut = dropped;
  return ended_here || !line->empty();
}

}  // namespace converter
