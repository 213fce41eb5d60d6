// The result files of a run: "error" lists the failed scale arguments,
// "retvals" their result codes, both joined by ";" without a line end. When
// nothing failed, "error" holds "0" and "retvals" is deleted.
#pragma once

#include <cstdio>
#include <string>

namespace transfer {

extern const char kErrorFileName[];
extern const char kRetvalsFileName[];

class ResultFiles {
 public:
  ResultFiles() = default;
  ~ResultFiles();
  ResultFiles(const ResultFiles&) = delete;
  ResultFiles& operator=(const ResultFiles&) = delete;

  // Creates (or truncates) "error" and then "retvals" in the directory
  // (empty: the current one). False if either cannot be created.
  bool Create(const std::string& directory = std::string());
  // Records one failed scale.
  void Record(const std::string& scale_argument, int result);
  // Closes both files; writes "0" and deletes "retvals" if nothing failed.
  void Finish();

 private:
  std::string error_name_;
  std::string retvals_name_;
  std::FILE* error_ = nullptr;
  std::FILE* retvals_ = nullptr;
  bool any_failed_ = false;
};

}  // namespace transfer
