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
#include <memory>
#include <string>
#include <vector>

#include "platform/system_error.h"

namespace platform {

// The separator that joins a name to a directory.
extern const char kPathSeparator;

// dir + separator + name.
std::string JoinPath(const std::string& dir, const std::string& name);

// True for a path that does not lie below the folder it would be joined to:
// one that begins with a separator of either platform's kind, or with a
// drive ("C:"), whichever platform this is.
inline bool IsAbsolutePath(const std::string& path) {
  if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
  return path.size() >= 2 && path[1] == ':';
}

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

// Copies source to target, replacing target, and waits until the copy is on
// the disk. A failure (code: the system's error number, message: its reason
// in words) if it cannot be done whole.
SystemStatus CopyFile(const std::string& source, const std::string& target);

// Renames source to target (both under their resolved names), replacing a
// target that exists: in one step where the system allows it (within one
// file system), so that a reader of target finds the old file or the new
// one, never none. A failure (code: the system's error number, message: its
// reason in words) if it cannot be done; both files are then as they were.
SystemStatus RenameFile(const std::string& source, const std::string& target);

// Makes the folder path and every missing folder above it; a folder that
// exists already is fine. A failure (code: the system's error number,
// message: its reason in words) if one cannot be made, or is a file.
SystemStatus CreateDirectoryPath(const std::string& path);

// Deletes the file under the resolved name. A failure (kNotFound if there
// was none) if it could not be deleted.
SystemStatus DeleteFile(const std::string& path);

// The names in a folder, "." and ".." left out, in no particular order.
SystemStatus ListFolder(const std::string& folder, std::vector<std::string>* names);

// What tells one version of a file from another: a fetch that did not
// rewrite a file leaves its identity unchanged.
struct FileIdentity {
  bool exists = false;
  bool folder = false;
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
SystemStatus MapFileReadOnly(const std::string& path, MappedFile* file);
void UnmapFile(MappedFile* file);

// A file open for reading, from its first byte on.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to capacity bytes into buffer; *count is 0 at the end of the
  // file.
  virtual SystemStatus Read(char* buffer, std::size_t capacity, std::size_t* count) = 0;
  // Goes back to the first byte.
  virtual SystemStatus Rewind() = 0;
};

// A file open for writing. Writes are gathered and handed to the system in
// large pieces; Sync and Close hand on what is gathered. A failure is kept:
// every later Write, Sync and Close gives it again, so that a writer may
// look only at the end. A file that goes out of scope unclosed is closed,
// and a failure then goes unreported.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Takes all count bytes, or fails (the disk full, the file-size limit...).
  virtual SystemStatus Write(const char* bytes, std::size_t count) = 0;
  // Hands everything written so far to the system (not yet to the disk).
  virtual SystemStatus Flush() = 0;
  // Cuts the file back to its first size bytes (what was written after
  // them is taken back); writing goes on at its new end.
  virtual SystemStatus Truncate(std::uint64_t size) = 0;
  // Hands everything written so far to the system and waits until its data
  // is on the disk (fdatasync, FlushFileBuffers), so that a power cut cannot
  // take it.
  virtual SystemStatus Sync() = 0;
  // Hands the rest to the system and closes the file. A failure if any of
  // it did not go.
  virtual SystemStatus Close() = 0;
};

// Opens a file (under its resolved name) for reading. Whether a folder can
// be opened is the system's affair (POSIX: it opens, and its reads fail);
// callers that need a regular file look first.
SystemStatus OpenFileForReading(const std::string& path, std::unique_ptr<InputFile>* file);

// Opens a file (under its resolved name) for writing: made new or emptied,
// or, with append, made if missing and written at its end.
SystemStatus OpenFileForWriting(const std::string& path, bool append, std::unique_ptr<OutputFile>* file);

}  // namespace platform
