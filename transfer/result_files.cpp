#include "transfer/result_files.h"

#include <cstdio>

#include "platform/files.h"

namespace transfer {

const char kErrorFileName[] = "error";
const char kRetvalsFileName[] = "retvals";

namespace {

const char kSeparator[] = ";";
const char kNoFailure[] = "0";
constexpr int kResultFilesFailed = -1;

std::string NameIn(const std::string& directory, const char* name) {
  return platform::ResolveName(directory.empty() ? std::string(name) : platform::JoinPath(directory, name));
}

}  // namespace

common::Status ResultFiles::Create(const std::string& directory) {
  error_name_ = NameIn(directory, kErrorFileName);
  retvals_name_ = NameIn(directory, kRetvalsFileName);
  error_ = common::OwnedFile(std::fopen(error_name_.c_str(), "wb"));
  if (!error_.is_open()) return common::Status::Error(kResultFilesFailed, "cannot create " + error_name_);
  retvals_ = common::OwnedFile(std::fopen(retvals_name_.c_str(), "wb"));
  if (!retvals_.is_open()) return common::Status::Error(kResultFilesFailed, "cannot create " + retvals_name_);
  return common::Status::Ok();
}

void ResultFiles::Record(const std::string& scale_argument, int result) {
  if (any_failed_) {
    std::fputs(kSeparator, error_.get());
    std::fputs(kSeparator, retvals_.get());
  }
  std::fputs(scale_argument.c_str(), error_.get());
  std::fprintf(retvals_.get(), "%d", result);
  any_failed_ = true;
}

common::Status ResultFiles::Finish() {
  bool ok = retvals_.Close();
  if (!any_failed_) {
    std::fputs(kNoFailure, error_.get());
    (void)platform::DeleteFile(retvals_name_);
  }
  if (!error_.Close()) ok = false;
  if (!ok) return common::Status::Error(kResultFilesFailed, "cannot write " + error_name_ + " or " + retvals_name_);
  return common::Status::Ok();
}

}  // namespace transfer
