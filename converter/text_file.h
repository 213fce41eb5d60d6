// Reading a text file the way the shop PC's text mode reads it: every CR
// byte is dropped and a Ctrl-Z byte ends the file. Lines of any length are
// read whole, through a fixed buffer.
#pragma once

#include <cstdio>
#include <string>

namespace converter {

class TextFile {
 public:
  TextFile() = default;
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Opens a regular file under its case-insensitive name. False if it cannot.
  bool Open(const std::string& path);

  // The next line without its line feed. ended_with_line_feed tells whether
  // a line feed ended it (false only for a last line without one). False at
  // the end of the file. At most max_length characters of a line are kept;
  // the rest of a longer line is read and dropped, and cut tells so.
  bool ReadLine(std::string* line, bool* ended_with_line_feed = nullptr,
                std::size_t max_length = std::string::npos, bool* cut = nullptr);

  // True if a read failed (not merely reached the end).
  bool failed() const { return failed_; }

  void Close();

 private:
  bool Fill();

  static constexpr std::size_t kBufferSize = 1 << 16;
  std::FILE* file_ = nullptr;
  char buffer_[kBufferSize];
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;  // end of file or Ctrl-Z met
  bool failed_ = false;
};

}  // namespace converter
