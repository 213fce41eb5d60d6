// Reading a text file line by line through fixed buffers: a byte-order mark
// at its start chooses how its bytes are decoded (UTF-16 is decoded into
// UTF-8 as it streams in); a line ends at a line feed, at a carriage return,
// or at both together; a Ctrl-Z character ends the file. Lines of any
// length are read whole, or cut at a given length.
#pragma once

#include <memory>
#include <string>

#include "converter/text_encoding.h"
#include "platform/env.h"

namespace converter {

class TextFile {
 public:
  TextFile() = default;
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Opens a regular file under its case-insensitive name and looks for a
  // byte-order mark: UTF-8, UTF-16 little or big endian. Without one the
  // text is in the unmarked encoding. A failure if the file cannot be opened
  // (a folder is no file) or its start read.
  platform::SystemStatus Open(platform::Env& env, const std::string& path, TextEncoding unmarked = TextEncoding::kBytes);

  // The text's encoding. Lines of UTF-16 text come out as UTF-8; the others
  // as they are in the file (the mark left out).
  TextEncoding encoding() const { return encoding_; }

  // The next line without its line end. ended tells whether a line end
  // followed it (false only for a last line without one). False at the end
  // of the file. At most max_length characters of a line are kept; the rest
  // of a longer line is read and dropped, and cut tells so.
  bool ReadLine(std::string* line, bool* ended = nullptr, std::size_t max_length = std::string::npos,
                bool* cut = nullptr);

  // True if a read failed (not merely reached the end); read_status() says why.
  bool failed() const { return !read_status_.ok(); }
  const platform::SystemStatus& read_status() const { return read_status_; }

  void Close();

  // Looks through the text of a file (from its first byte, to its end or a
  // Ctrl-Z) with the survey, one piece at a time: memory does not grow with
  // the file. Stops at the first byte that is no UTF-8. A failure if the
  // file cannot be opened or read.
  static platform::SystemStatus Survey(platform::Env& env, const std::string& path, Utf8Survey* survey);

 private:
  bool Fill();
  // Takes size bytes of the file at raw into the text buffer (decoding UTF-16
  // on the way); a Ctrl-Z ends the text there.
  void Take(const char* raw, std::size_t size);

  static constexpr std::size_t kReadSize = 1 << 16;
  static constexpr std::size_t kTextSize = Utf16Decoder::MaxOutput(kReadSize);
  std::unique_ptr<platform::InputFile> file_;
  TextEncoding encoding_ = TextEncoding::kBytes;
  Utf16Decoder decoder_;
  std::unique_ptr<char[]> raw_;   // UTF-16 only: the bytes as read
  std::unique_ptr<char[]> text_;  // the text, decoded
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool skip_line_feed_ = false;  // a carriage return ended the last line
  bool at_end_ = false;          // end of file or Ctrl-Z met
  platform::SystemStatus read_status_;
};

}  // namespace converter
