#include "converter/archive.h"

#include <cstdio>
#include <cstring>

#include "common/owned_file.h"
#include "platform/files.h"
#include "platform/local_time.h"

namespace converter {
namespace {

// Free names tried for one file at one second before giving up.
constexpr int kMaxSameNames = 100;
constexpr std::size_t kCompareChunk = 1 << 16;

bool IsAbsolute(const std::string& path) {
  if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
  return path.size() >= 2 && path[1] == ':';
}

std::string LastComponent(const std::string& path) {
  std::string::size_type slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// True if the two files hold the same bytes.
bool SameBytes(const std::string& a, const std::string& b) {
  common::OwnedFile first(std::fopen(platform::ResolveName(a).c_str(), "rb"));
  common::OwnedFile second(std::fopen(platform::ResolveName(b).c_str(), "rb"));
  if (!first.is_open() || !second.is_open()) return false;
  static char x[kCompareChunk], y[kCompareChunk];
  for (;;) {
    std::size_t n = std::fread(x, 1, sizeof x, first.get());
    std::size_t m = std::fread(y, 1, sizeof y, second.get());
    if (n != m || std::memcmp(x, y, n) != 0) return false;
    if (n == 0) return !std::ferror(first.get()) && !std::ferror(second.get());
  }
}

common::Status Failure(const std::string& path, const std::string& reason) {
  return common::Status::Error(kFailureArchive, "Could not keep " + LastComponent(path) + " in the archive: " +
                                                    reason + "\n");
}

}  // namespace

Archive::Archive(const RunContext& context) {
  const std::string& folder = context.settings.archive;
  if (folder.empty()) return;
  folder_ = IsAbsolute(folder) ? folder : platform::JoinPath(context.working_directory, folder);
}

std::string Archive::PlaceFor(const std::string& path, const std::string& name_prefix, bool* same,
                              std::string* problem) const {
  platform::LocalTime written;
  if (!platform::FileModifiedLocalTime(path, &written)) written = platform::CurrentLocalTime();
  char day[16], time[16];
  std::snprintf(day, sizeof day, "%04d-%02d-%02d", written.year, written.month, written.day);
  std::snprintf(time, sizeof time, "-%02d%02d%02d", written.hour, written.minute, written.second);
  const std::string folder = platform::JoinPath(folder_, day);
  common::Status made = platform::CreateDirectoryPath(folder);
  if (!made.ok()) {
    *problem = made.message();
    return std::string();
  }
  const std::string name = name_prefix + LastComponent(platform::ResolveName(path));
  const std::string::size_type dot = name.rfind('.');
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string ending = dot == std::string::npos ? std::string() : name.substr(dot);
  for (int n = 1; n <= kMaxSameNames; ++n) {
    const std::string place =
        platform::JoinPath(folder, stem + time + (n > 1 ? "-" + std::to_string(n) : std::string()) + ending);
    if (!platform::FileExists(place)) {
      *same = false;
      return place;
    }
    if (SameBytes(path, place)) {
      *same = true;
      return place;
    }
  }
  *problem = "too many files of that name and time";
  return std::string();
}

common::Status Archive::KeepLeftover(const std::string& path) const {
  if (!on() || !platform::FileExists(path)) return common::Status::Ok();
  bool same = false;
  std::string problem;
  const std::string place = PlaceFor(path, std::string(), &same, &problem);
  if (place.empty()) return Failure(path, problem);
  if (same) {
    if (!platform::DeleteFile(path)) return Failure(path, "it cannot be removed from the working folder");
    return common::Status::Ok();
  }
  common::Status moved = platform::RenameFile(path, place);
  if (moved.ok()) return moved;
  // Another file system: copy, and remove the file only once it is kept.
  if (common::Status copied = platform::CopyFile(platform::ResolveName(path), place); !copied.ok()) {
    (void)platform::DeleteFile(place);
    return Failure(path, copied.message());
  }
  if (!platform::DeleteFile(path)) return Failure(path, "it cannot be removed from the working folder");
  return common::Status::Ok();
}

common::Status Archive::KeepCopy(const std::string& path, const std::string& name_prefix) const {
  if (!on() || !platform::FileExists(path)) return common::Status::Ok();
  bool same = false;
  std::string problem;
  const std::string place = PlaceFor(path, name_prefix, &same, &problem);
  if (place.empty()) return Failure(path, problem);
  if (same) return common::Status::Ok();
  if (common::Status copied = platform::CopyFile(platform::ResolveName(path), place); !copied.ok()) {
    (void)platform::DeleteFile(place);
    return Failure(path, copied.message());
  }
  return common::Status::Ok();
}

}  // namespace converter
