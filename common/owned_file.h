// A C stream that closes itself when it goes out of scope. Where a file's
// data matters, Close says whether all of it reached the file.
#pragma once

#include <cstdio>

namespace common {

class OwnedFile {
 public:
  OwnedFile() = default;
  explicit OwnedFile(std::FILE* file) : file_(file) {}
  ~OwnedFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  OwnedFile(OwnedFile&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
  OwnedFile& operator=(OwnedFile&& other) noexcept {
    if (this != &other) {
      if (file_ != nullptr) std::fclose(file_);
      file_ = other.file_;
      other.file_ = nullptr;
    }
    return *this;
  }
  OwnedFile(const OwnedFile&) = delete;
  OwnedFile& operator=(const OwnedFile&) = delete;

  std::FILE* get() const { return file_; }
  bool is_open() const { return file_ != nullptr; }

  // Flushes and closes the file; false if a write or the close failed. A
  // file that is not open closes fine.
  bool Close() {
    if (file_ == nullptr) return true;
    bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    if (std::fclose(file_) != 0) ok = false;
    file_ = nullptr;
    return ok;
  }

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace common
