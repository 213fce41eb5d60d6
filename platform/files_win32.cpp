// Win32 implementation of platform/files.h. Names already ignore letter case
// here, so ResolveName hands every path back as it is.
#include "platform/files.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// windows.h names its A/W pairs by macros; the functions of files.h keep
// their own names.
#undef CopyFile
#undef DeleteFile

#include <vector>

namespace platform {
namespace {

// The name of the incoming file's mapping object. A second mapping of that
// name at the same time (another converter run) gets an unnamed mapping of
// its own instead of the first one's view.
const char kMappingName[] = "FileMappingFM";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

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

bool CopyFile(const std::string& source, const std::string& target) {
  return CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
}

bool DeleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

FileIdentity IdentifyFile(const std::string& path) {
  FileIdentity id;
  HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return id;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(file, &info)) {
    id.exists = true;
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

MapResult MapFileReadOnly(const std::string& path, MappedFile* file) {
  *file = MappedFile();
  HANDLE handle = OpenForReading(path);
  if (handle == INVALID_HANDLE_VALUE) return MapResult::kMapFailed;
  DWORD high = 0;
  DWORD low = GetFileSize(handle, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    CloseHandle(handle);
    return MapResult::kSizeUnreadable;
  }
  std::uint64_t size = (static_cast<std::uint64_t>(high) << 32) | low;
  if (size > static_cast<std::uint64_t>(SIZE_MAX)) {
    CloseHandle(handle);
    return MapResult::kMapFailed;
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
      CloseHandle(handle);
      return MapResult::kMapFailed;
    }
    file->data = static_cast<const char*>(data);
  }
  CloseHandle(handle);
  file->size = static_cast<std::size_t>(size);
  return MapResult::kOk;
}

void UnmapFile(MappedFile* file) {
  if (file->data != nullptr) UnmapViewOfFile(file->data);
  *file = MappedFile();
}

}  // namespace platform
