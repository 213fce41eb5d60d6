// Win32 implementation of platform/files.h. Names already ignore letter case
// here, so ResolveName hands every path back as it is.
#include "platform/files.h"

#include "platform/windows_headers_win32.h"

// windows.h names its A/W pairs by macros; the functions of files.h keep
// their own names.
#undef CopyFile
#undef DeleteFile

#include <cstring>
#include <vector>

#include "platform/buffered_output.h"
#include "platform/system_error.h"

namespace platform {
namespace {

// The name of the incoming file's mapping object. A second mapping of that
// name at the same time (another converter run) gets an unnamed mapping of
// its own instead of the first one's view.
const char kMappingName[] = "FileMappingFM";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// How long the root of a path is: 3 for C:\, 2 for C:, 1 for a leading
// separator, all of \\server\share\ for a network path, 0 for a relative
// path.
std::string::size_type RootLength(const std::string& path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::string::size_type server_end = path.find_first_of("\\/", 2);
    if (server_end == std::string::npos) return path.size();
    std::string::size_type share_end = path.find_first_of("\\/", server_end + 1);
    return share_end == std::string::npos ? path.size() : share_end + 1;
  }
  if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
  return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

SystemStatus LastError() {
  return SystemError(static_cast<int>(GetLastError()));
}

HANDLE OpenForReading(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

const char kPathSeparator = '\\';

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (!dir.empty() && IsSeparator(dir.back())) return dir + name;
  return dir + kPathSeparator + name;
}

std::string CurrentDirectory() {
  DWORD needed = GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return std::string();
  std::vector<char> buffer(needed + 1);
  DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length == 0 || length >= buffer.size()) return std::string();
  return std::string(buffer.data(), length);
}

std::string ProgramDirectory() {
  constexpr DWORD kLongestModulePath = 32768;
  std::vector<char> buffer(kLongestModulePath);
  DWORD length = GetModuleFileNameA(nullptr, buffer.data(), kLongestModulePath);
  if (length == 0 || length >= kLongestModulePath) return std::string();
  std::string path(buffer.data(), length);
  std::string::size_type separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return std::string();
  return path.substr(0, separator + 1);
}

std::string ResolveName(const std::string& path) { return path; }

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

SystemStatus CopyFile(const std::string& source, const std::string& target) {
  if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) return LastError();
  // On the disk before the copy counts as made.
  HANDLE copy = CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (copy == INVALID_HANDLE_VALUE) return LastError();
  const bool flushed = FlushFileBuffers(copy) != 0;
  SystemStatus status = flushed ? SystemStatus::Ok() : LastError();
  CloseHandle(copy);
  return status;
}

SystemStatus RenameFile(const std::string& source, const std::string& target) {
  if (!MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return LastError();
  return SystemStatus::Ok();
}

SystemStatus CreateDirectoryPath(const std::string& path) {
  // Each folder along the path in turn, after its root (C:\ or
  // \\server\share\), up to the whole of it.
  for (std::string::size_type end = RootLength(path) + 1; end <= path.size(); ++end) {
    if (end < path.size() && !IsSeparator(path[end])) continue;
    if (IsSeparator(path[end - 1])) continue;  // a doubled or final separator
    std::string folder = path.substr(0, end);
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      return SystemError(ERROR_DIRECTORY);
    }
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return LastError();
  }
  return SystemStatus::Ok();
}

SystemStatus DeleteFile(const std::string& path) {
  if (!DeleteFileA(path.c_str())) return LastError();
  return SystemStatus::Ok();
}

SystemStatus ListFolder(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return LastError();
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names->push_back(name);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return SystemStatus::Ok();
}

FileIdentity IdentifyFile(const std::string& path) {
  FileIdentity id;
  HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return id;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(file, &info)) {
    id.exists = true;
    id.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    // FILETIME counts 100-nanosecond steps.
    std::uint64_t ticks =
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    id.modified_ns = static_cast<std::int64_t>(ticks) * 100;
  }
  CloseHandle(file);
  return id;
}

bool ReadFileSize(const std::string& path, std::uint64_t* size) {
  HANDLE file = OpenForReading(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  DWORD low = GetFileSize(file, &high);
  bool ok = !(low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR);
  if (ok) *size = (static_cast<std::uint64_t>(high) << 32) | low;
  CloseHandle(file);
  return ok;
}

SystemStatus MapFileReadOnly(const std::string& path, MappedFile* file) {
  *file = MappedFile();
  HANDLE handle = OpenForReading(path);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  DWORD high = 0;
  DWORD low = GetFileSize(handle, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    SystemStatus failure = LastError();
    CloseHandle(handle);
    return failure;
  }
  std::uint64_t size = (static_cast<std::uint64_t>(high) << 32) | low;
  if (size > static_cast<std::uint64_t>(SIZE_MAX)) {
    CloseHandle(handle);
    return SystemError(ERROR_NOT_ENOUGH_MEMORY);
  }
  if (size > 0) {  // an empty file cannot be mapped; it has no data
    HANDLE mapping = CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 0, kMappingName);
    if (mapping != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseHandle(mapping);
      mapping = CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
    }
    void* data = mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (mapping != nullptr) CloseHandle(mapping);  // the view keeps the mapping alive
    if (data == nullptr) {
      SystemStatus failure = LastError();
      CloseHandle(handle);
      return failure;
    }
    file->data = static_cast<const char*>(data);
  }
  CloseHandle(handle);
  file->size = static_cast<std::size_t>(size);
  return SystemStatus::Ok();
}

void UnmapFile(MappedFile* file) {
  if (file->data != nullptr) UnmapViewOfFile(file->data);
  *file = MappedFile();
}

namespace {

class Win32InputFile final : public InputFile {
 public:
  explicit Win32InputFile(HANDLE file) : file_(file) {}
  ~Win32InputFile() override { CloseHandle(file_); }

  SystemStatus Read(char* buffer, std::size_t capacity, std::size_t* count) override {
    const DWORD asked = capacity > kMaxPiece ? kMaxPiece : static_cast<DWORD>(capacity);
    DWORD read = 0;
    if (!ReadFile(file_, buffer, asked, &read, nullptr)) return LastError();
    *count = read;
    return SystemStatus::Ok();
  }

  SystemStatus Rewind() override {
    if (SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return LastError();
    return SystemStatus::Ok();
  }

 private:
  static constexpr DWORD kMaxPiece = 1 << 30;
  HANDLE file_;
};

class Win32OutputFile final : public BufferedOutputFile {
 public:
  explicit Win32OutputFile(HANDLE file) : file_(file) {}
  ~Win32OutputFile() override { (void)Close(); }

 protected:
  SystemStatus WriteThrough(const char* bytes, std::size_t count) override {
    for (std::size_t done = 0; done < count;) {
      const std::size_t piece = count - done > kMaxPiece ? kMaxPiece : count - done;
      DWORD written = 0;
      if (!WriteFile(file_, bytes + done, static_cast<DWORD>(piece), &written, nullptr)) return LastError();
      if (written == 0) return SystemError(ERROR_DISK_FULL);
      done += written;
    }
    return SystemStatus::Ok();
  }

  SystemStatus SyncThrough() override {
    if (!FlushFileBuffers(file_)) return LastError();
    return SystemStatus::Ok();
  }

  SystemStatus TruncateThrough(std::uint64_t size) override {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(file_)) return LastError();
    return SystemStatus::Ok();
  }

  SystemStatus CloseThrough() override {
    if (!CloseHandle(file_)) return LastError();
    return SystemStatus::Ok();
  }

 private:
  static constexpr std::size_t kMaxPiece = 1 << 30;
  HANDLE file_;
};

}  // namespace

SystemStatus OpenFileForReading(const std::string& path, std::unique_ptr<InputFile>* file) {
  HANDLE handle = OpenForReading(path);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  *file = std::make_unique<Win32InputFile>(handle);
  return SystemStatus::Ok();
}

SystemStatus OpenFileForWriting(const std::string& path, bool append, std::unique_ptr<OutputFile>* file) {
  // Appending writes at the end whoever else appends: the run log of two
  // programs that take turns.
  const DWORD access = append ? FILE_APPEND_DATA : GENERIC_WRITE;
  HANDLE handle = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  *file = std::make_unique<Win32OutputFile>(handle);
  return SystemStatus::Ok();
}

}  // namespace platform
