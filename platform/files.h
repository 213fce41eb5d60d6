// File services of the platform: paths, names that ignore letter case,
// copying, renaming, deleting, making folders, file identity and read-only
// mapping.
//
// The shop PC's file system ignores letter case, and the two programs rely on
// it: the converter writes "qs001F25.dat" and the transfer program opens
// "QS001F25.DAT". Every name that one program hands to the other therefore
// goes through ResolveName before it is opened, created or deleted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/status.h"

namespace platform {

// The separator that joins a name to a directory.
extern const char kPathSeparator;

// dir + separator + name.
std::string JoinPath(const std::string& dir, const std::string& name);

// The process's current directory; empty if it cannot be read.
std::string CurrentDirectory();

// The directory of the running program, with a trailing separator; empty if
// it cannot be read.
std::string ProgramDirectory();

// The name under which a file is opened, created or deleted: the path as
// given if that file exists, else the one file in the same directory whose
// name equals the last component ignoring ASCII case (the first in byte order
// if several do), else the path as given.
std::string ResolveName(const std::string& path);

// True if a regular file (or anything but a directory) exists under the
// resolved name.
bool FileExists(const std::string& path);

// Copies source to target, replacing target. A failure (code: the system's
// error number, message: its reason in words) if it cannot be done whole.
common::Status CopyFile(const std::string& source, const std::string& target);

// Renames source to target (both under their resolved names), replacing a
// target that exists: in one step where the system allows it (within one
// file system), so that a reader of target finds the old file or the new
// one, never none. A failure (code: the system's error number, message: its
// reason in words) if it cannot be done; both files are then as they were.
common::Status RenameFile(const std::string& source, const std::string& target);

// Makes the folder path and every missing folder above it; a folder that
// exists already is fine. A failure (code: the system's error number,
// message: its reason in words) if one cannot be made, or is a file.
common::Status CreateDirectoryPath(const std::string& path);

// Deletes the file under the resolved name. False if there was none or it
// could not be deleted.
bool DeleteFile(const std::string& path);

// What tells one version of a file from another: a fetch that did not
// rewrite a file leaves its identity unchanged.
struct FileIdentity {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;
};
inline bool operator==(const FileIdentity& a, const FileIdentity& b) {
  if (a.exists != b.exists) return false;
  if (!a.exists) return true;
  return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified_ns == b.modified_ns;
}
FileIdentity IdentifyFile(const std::string& path);

// A whole file mapped read-only. data is null for an empty file.
struct MappedFile {
  const char* data = nullptr;
  std::size_t size = 0;
};

// Reads the size of the file under the resolved name; false if the file is
// missing or its size cannot be read.
bool ReadFileSize(const std::string& path, std::uint64_t* size);

// Maps the whole file (under its resolved name) read-only. A failure (code:
// the system's error number, message: its reason in words) if it cannot be
// opened, its size read, or it mapped.
common::Status MapFileReadOnly(const std::string& path, MappedFile* file);
void UnmapFile(MappedFile* file);

}  // namespace platform
