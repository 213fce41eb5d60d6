// POSIX implementation of platform/files.h.
#include "platform/files.h"

#include "platform/buffered_output.h"
#include "platform/system_error.h"

#include "base/ascii_case.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

const char kPathSeparator = '/';

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (!dir.empty() && dir.back() == kPathSeparator) return dir + name;
  return dir + kPathSeparator + name;
}

std::string CurrentDirectory() {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return std::string();
  return buffer;
}

std::string ProgramDirectory() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return std::string();
  buffer[n] = '\0';
  char* slash = std::strrchr(buffer, '/');
  if (slash == nullptr) return std::string();
  slash[1] = '\0';
  return buffer;
}

std::string ResolveName(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) return path;
  std::string::size_type slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
  std::string base_name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base_name.empty()) return path;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return path;
  std::string best;
  while (struct dirent* entry = readdir(d)) {
    if (!base::EqualsIgnoringCase(entry->d_name, base_name)) continue;
    if (best.empty() || std::strcmp(entry->d_name, best.c_str()) < 0) best = entry->d_name;
  }
  closedir(d);
  if (best.empty()) return path;
  return slash == std::string::npos ? best : path.substr(0, slash + 1) + best;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(ResolveName(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

SystemStatus CopyFile(const std::string& source, const std::string& target) {
  int in = open(ResolveName(source).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return SystemError(errno);
  int out = open(ResolveName(target).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    int error = errno;
    close(in);
    return SystemError(error);
  }
  int error = 0;
  char buffer[65536];
  while (error == 0) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    for (ssize_t done = 0; done < n && error == 0;) {
      ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) error = errno;
      if (w == 0) error = ENOSPC;
      if (w > 0) done += w;
    }
  }
  close(in);
  // On the disk before the copy counts as made.
  if (error == 0 && fdatasync(out) != 0) error = errno;
  if (close(out) != 0 && error == 0) error = errno;
  return error == 0 ? SystemStatus::Ok() : SystemError(error);
}

SystemStatus RenameFile(const std::string& source, const std::string& target) {
  if (rename(ResolveName(source).c_str(), ResolveName(target).c_str()) != 0) return SystemError(errno);
  return SystemStatus::Ok();
}

SystemStatus CreateDirectoryPath(const std::string& path) {
  // Each folder along the path in turn, up to the whole of it.
  for (std::string::size_type end = 1; end <= path.size(); ++end) {
    if (end < path.size() && path[end] != kPathSeparator) continue;
    if (path[end - 1] == kPathSeparator) continue;  // a doubled or final separator
    std::string folder = path.substr(0, end);
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) continue;
      return SystemError(ENOTDIR);
    }
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return SystemError(errno);
  }
  return SystemStatus::Ok();
}

SystemStatus DeleteFile(const std::string& path) {
  if (unlink(ResolveName(path).c_str()) != 0) return SystemError(errno);
  return SystemStatus::Ok();
}

SystemStatus ListFolder(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  DIR* d = opendir(folder.c_str());
  if (d == nullptr) return SystemError(errno);
  while (struct dirent* entry = readdir(d)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names->push_back(entry->d_name);
  }
  closedir(d);
  return SystemStatus::Ok();
}

FileIdentity IdentifyFile(const std::string& path) {
  FileIdentity id;
  struct stat st;
  if (stat(ResolveName(path).c_str(), &st) != 0) return id;
  id.exists = true;
  id.folder = S_ISDIR(st.st_mode);
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.size = static_cast<std::uint64_t>(st.st_size);
  id.modified_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return id;
}

bool ReadFileSize(const std::string& path, std::uint64_t* size) {
  int fd = open(ResolveName(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) *size = static_cast<std::uint64_t>(st.st_size);
  close(fd);
  return ok;
}

SystemStatus MapFileReadOnly(const std::string& path, MappedFile* file) {
  *file = MappedFile();
  int fd = open(ResolveName(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SystemError(errno);
  struct stat st;
  const bool read = fstat(fd, &st) == 0;
  if (!read || !S_ISREG(st.st_mode)) {
    // Only a regular file has a size to map.
    int error = !read ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    close(fd);
    return SystemError(error);
  }
  std::size_t size = static_cast<std::size_t>(st.st_size);
  if (size > 0) {
    void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) {
      int error = errno;
      close(fd);
      return SystemError(error);
    }
    file->data = static_cast<const char*>(data);
  }
  close(fd);  // the mapping stays valid without the descriptor
  file->size = size;
  return SystemStatus::Ok();
}

void UnmapFile(MappedFile* file) {
  if (file->data != nullptr) munmap(const_cast<char*>(file->data), file->size);
  *file = MappedFile();
}

namespace {

// What a read or write of a descriptor left to do after an interruption.
bool Interrupted(ssize_t n) { return n < 0 && errno == EINTR; }

class PosixInputFile final : public InputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  ~PosixInputFile() override { close(fd_); }

  SystemStatus Read(char* buffer, std::size_t capacity, std::size_t* count) override {
    ssize_t n;
    while (Interrupted(n = read(fd_, buffer, capacity))) {
    }
    if (n < 0) return SystemError(errno);
    *count = static_cast<std::size_t>(n);
    return SystemStatus::Ok();
  }

  SystemStatus Rewind() override {
    if (lseek(fd_, 0, SEEK_SET) != 0) return SystemError(errno);
    return SystemStatus::Ok();
  }

 private:
  int fd_;
};

class PosixOutputFile final : public BufferedOutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  ~PosixOutputFile() override { (void)Close(); }

 protected:
  SystemStatus WriteThrough(const char* bytes, std::size_t count) override {
    for (std::size_t done = 0; done < count;) {
      ssize_t n = write(fd_, bytes + done, count - done);
      if (Interrupted(n)) continue;
      if (n < 0) return SystemError(errno);
      if (n == 0) return SystemError(ENOSPC);
      done += static_cast<std::size_t>(n);
    }
    return SystemStatus::Ok();
  }

  SystemStatus SyncThrough() override {
    if (fdatasync(fd_) != 0) return SystemError(errno);
    return SystemStatus::Ok();
  }

  SystemStatus TruncateThrough(std::uint64_t size) override {
    if (ftruncate(fd_, static_cast<off_t>(size)) != 0 || lseek(fd_, static_cast<off_t>(size), SEEK_SET) < 0) {
      return SystemError(errno);
    }
    return SystemStatus::Ok();
  }

  SystemStatus CloseThrough() override {
    if (close(fd_) != 0) return SystemError(errno);
    return SystemStatus::Ok();
  }

 private:
  int fd_;
};

}  // namespace

SystemStatus OpenFileForReading(const std::string& path, std::unique_ptr<InputFile>* file) {
  int fd = open(ResolveName(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SystemError(errno);
  *file = std::make_unique<PosixInputFile>(fd);
  return SystemStatus::Ok();
}

SystemStatus OpenFileForWriting(const std::string& path, bool append, std::unique_ptr<OutputFile>* file) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
  int fd = open(ResolveName(path).c_str(), flags, 0666);
  if (fd < 0) return SystemError(errno);
  *file = std::make_unique<PosixOutputFile>(fd);
  return SystemStatus::Ok();
}

}  // namespace platform
