#include "fuzz/fuzz_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace fuzz {

namespace {

std::string* scratch = nullptr;

// Removes the scratch directory and the files in it when the run ends.
void RemoveScratch() {
  DIR* dir = opendir(scratch->c_str());
  if (dir != nullptr) {
    while (dirent* entry = readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        unlink((*scratch + "/" + entry->d_name).c_str());
      }
    }
    closedir(dir);
  }
  rmdir(scratch->c_str());
}

}  // namespace

const std::string& ScratchDirectory() {
  if (scratch == nullptr) {
    // Memory-backed when the system has such a folder: the harnesses write a
    // file or two per input.
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/scalelink-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    scratch = new std::string(pattern);
    std::atexit(RemoveScratch);
  }
  return *scratch;
}

void WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
    std::perror(path.c_str());
    std::abort();
  }
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

void SilenceStandardOutput() {
  std::fflush(stdout);
  int null = open("/dev/null", O_WRONLY);
  if (null >= 0) {
    dup2(null, STDOUT_FILENO);
    close(null);
  }
}

}  // namespace fuzz
