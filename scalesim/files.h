// File services the emulator needs beyond platform/files.h: whole-file
// reads, atomic replacement, directories and an append-only log.
#pragma once

#include <string>
#include <vector>

namespace scalesim {

// The whole file in bytes. False if it does not exist or cannot be read;
// *missing tells the two apart.
bool ReadWholeFile(const std::string& path, std::string* bytes, bool* missing);

// Replaces path with bytes so that a reader sees either the old or the new
// file: writes path + ".new", flushes it to disk, renames it over path.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes);

// Creates the directory (one level) unless it exists.
bool MakeDirectory(const std::string& path);

// True if path names an existing directory.
bool IsDirectory(const std::string& path);

// Names in a directory (no "." or ".."), sorted. Empty if it cannot be read.
std::vector<std::string> ListDirectory(const std::string& path);

// A log file written line by line; each line reaches the file at once.
class LineLog {
 public:
  LineLog() = default;
  ~LineLog();
  LineLog(const LineLog&) = delete;
  LineLog& operator=(const LineLog&) = delete;
  // Opens (creates or appends to) path. False if it cannot be opened.
  bool Open(const std::string& path);
  bool is_open() const { return fd_ >= 0; }
  // Writes the line and a line feed in one write.
  void Write(const std::string& line);

 private:
  int fd_ = -1;
};

}  // namespace scalesim
