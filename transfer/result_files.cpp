#include "transfer/result_files.h"

#include "platform/files.h"

namespace transfer {

const char kErrorFileName[] = "error";
const char kRetvalsFileName[] = "retvals";

namespace {

const char kSeparator[] = ";";
const char kNoFailure[] = "0";

std::string NameIn(const std::string& directory, const char* name) {
  return platform::ResolveName(directory.empty() ? std::string(name) : platform::JoinPath(directory, name));
}

}  // namespace

ResultFiles::~ResultFiles() {
  if (error_ != nullptr) std::fclose(error_);
  if (retvals_ != nullptr) std::fclose(retvals_);
}

bool ResultFiles::Create(const std::string& directory) {
  error_name_ = NameIn(directory, kErrorFileName);
  retvals_name_ = NameIn(directory, kRetvalsFileName);
  error_ = std::fopen(error_name_.c_str(), "wb");
  if (error_ == nullptr) return false;
  retvals_ = std::fopen(retvals_name_.c_str(), "wb");
  return retvals_ != nullptr;
}

void ResultFiles::Record(const std::string& scale_argument, int result) {
  if (any_failed_) {
    std::fputs(kSeparator, error_);
    std::fputs(kSeparator, retvals_);
  }
  std::fputs(scale_argument.c_str(), error_);
  std::fprintf(retvals_, "%d", result);
  any_failed_ = true;
}

void ResultFiles::Finish() {
  std::fclose(retvals_);
  retvals_ = nullptr;
  if (!any_failed_) {
    std::fputs(kNoFailure, error_);
    platform::DeleteFile(retvals_name_);
  }
  std::fclose(error_);
  error_ = nullptr;
}

}  // namespace transfer
