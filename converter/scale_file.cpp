#include "converter/scale_file.h"

#include "converter/run_failure.h"
#include "platform/files.h"

namespace converter {

common::OwnedFile CreateScaleFile(const std::string& path) {
  return common::OwnedFile(std::fopen(platform::ResolveName(path).c_str(), "wb"));
}

bool WriteScaleText(const common::OwnedFile& file, const char* text, std::size_t length) {
  return std::fwrite(text, 1, length, file.get()) == length;
}

common::Status CouldNotCreate() { return common::Status::Error(kFailureScaleFile, "Could not create file.\n"); }
common::Status CouldNotWrite() { return common::Status::Error(kFailureScaleFile, "Could not write file.\n"); }

common::Status WriteScaleFile(const std::string& path, const std::string& text) {
  common::OwnedFile file = CreateScaleFile(path);
  if (!file.is_open()) return CouldNotCreate();
  bool written = WriteScaleText(file, text.data(), text.size());
  if (!file.Close() || !written) return CouldNotWrite();
  return common::Status::Ok();
}

}  // namespace converter
