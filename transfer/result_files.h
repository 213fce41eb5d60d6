// The result files of a run: "error" lists the failed scale arguments,
// "retvals" their result codes, both joined by ";" without a line end. When
// nothing failed, "error" holds "0" and "retvals" is deleted.
#pragma once

#include <string>

#include "common/owned_file.h"
#include "common/status.h"

namespace transfer {

extern const char kErrorFileName[];
extern const char kRetvalsFileName[];

class ResultFiles {
 public:
  // Creates (or truncates) "error" and then "retvals" in the directory
  // (empty: the current one). Fails if either cannot be created.
  common::Status Create(const std::string& directory = std::string());
  // Records one failed scale.
  void Record(const std::string& scale_argument, int result);
  // Closes both files; writes "0" and deletes "retvals" if nothing failed.
  // Fails if either file did not take all of its text.
  common::Status Finish();

 private:
  std::string error_name_;
  std::string retvals_name_;
  common::OwnedFile error_;
  common::OwnedFile retvals_;
  bool any_failed_ = false;
};

}  // namespace transfer
