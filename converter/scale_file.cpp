#include "converter/scale_file.h"

#include "converter/run_context.h"
#include "platform/files.h"

namespace converter {

std::FILE* CreateScaleFile(const std::string& path) {
  return std::fopen(platform::ResolveName(path).c_str(), "wb");
}

bool WriteScaleText(std::FILE* file, const char* text, std::size_t length) {
  return std::fwrite(text, 1, length, file) == length;
}

bool CloseScaleFile(std::FILE* file) {
  bool ok = std::fflush(file) == 0 && !std::ferror(file);
  return std::fclose(file) == 0 && ok;
}

int WriteScaleFile(const std::string& path, const std::string& text) {
  std::FILE* file = CreateScaleFile(path);
  if (file == nullptr) {
    std::fputs("Could not create file.\n", stderr);
    return kExitScaleFile;
  }
  bool written = WriteScaleText(file, text.data(), text.size());
  if (!CloseScaleFile(file) || !written) {
    std::fputs("Could not write file.\n", stderr);
    return kExitScaleFile;
  }
  return kExitOk;
}

}  // namespace converter
