#include "converter/archive.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "converter/scale_file.h"
#include "platform/env.h"

namespace converter {
namespace {

// Free names tried for one file at one second before giving up.
constexpr int kMaxSameNames = 100;
constexpr std::size_t kCompareChunk = 1 << 16;

// Reads as much of the file as the buffer holds, or up to its end.
bool ReadChunk(platform::InputFile& file, char* buffer, std::size_t capacity, std::size_t* count) {
  *count = 0;
  while (*count < capacity) {
    std::size_t n = 0;
    if (!file.Read(buffer + *count, capacity - *count, &n).ok()) return false;
    if (n == 0) break;
    *count += n;
  }
  return true;
}

// True if the two files hold the same bytes.
bool SameBytes(platform::Env& env, const std::string& a, const std::string& b) {
  std::unique_ptr<platform::InputFile> first, second;
  if (!env.OpenForReading(a, &first).ok() || !env.OpenForReading(b, &second).ok()) return false;
  auto x = std::make_unique<char[]>(kCompareChunk);
  auto y = std::make_unique<char[]>(kCompareChunk);
  for (;;) {
    std::size_t n = 0, m = 0;
    if (!ReadChunk(*first, x.get(), kCompareChunk, &n) || !ReadChunk(*second, y.get(), kCompareChunk, &m)) return false;
    if (n != m || std::memcmp(x.get(), y.get(), n) != 0) return false;
    if (n == 0) return true;
  }
}

RunStatus Failure(const std::string& path, const std::string& reason, int system_error = 0) {
  return RunStatus::Error(RunFailure::kArchive,
                          "Could not keep " + FileNameOf(path) + " in the archive: " + reason, system_error);
}

RunStatus Failure(const std::string& path, const platform::SystemStatus& reason) {
  return Failure(path, reason.message(), reason.system_error());
}

}  // namespace

Archive::Archive(const RunContext& context) : env_(*context.env) {
  const std::string& folder = context.settings.archive;
  if (folder.empty()) return;
  // Below the working folder, as the settings were checked.
  folder_ = platform::JoinPath(context.working_directory, folder);
}

std::string Archive::PlaceFor(const std::string& path, const std::string& name_prefix, bool* same,
                              platform::SystemStatus* problem) const {
  const platform::FileInfo info = env_.Stat(path);
  const platform::LocalTime written = info.exists ? info.modified : env_.LocalNow();
  char day[16], time[16];
  std::snprintf(day, sizeof day, "%04d-%02d-%02d", written.year, written.month, written.day);
  std::snprintf(time, sizeof time, "-%02d%02d%02d", written.hour, written.minute, written.second);
  const std::string folder = platform::JoinPath(folder_, day);
  if (platform::SystemStatus made = env_.CreateFolders(folder); !made.ok()) {
    *problem = made;
    return std::string();
  }
  const std::string name = name_prefix + FileNameOf(env_.ResolveName(path));
  const std::string::size_type dot = name.rfind('.');
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string ending = dot == std::string::npos ? std::string() : name.substr(dot);
  for (int n = 1; n <= kMaxSameNames; ++n) {
    std::string file_name = stem + time;
    if (n > 1) file_name += '-' + std::to_string(n);
    file_name += ending;
    const std::string place = platform::JoinPath(folder, file_name);
    if (!platform::IsFile(env_, place)) {
      *same = false;
      return place;
    }
    if (SameBytes(env_, path, place)) {
      *same = true;
      return place;
    }
  }
  *problem = platform::Failure("too many files of that name and time");
  return std::string();
}

RunStatus Archive::KeepLeftover(const std::string& path) const {
  if (!on() || !platform::IsFile(env_, path)) return RunStatus::Ok();
  bool same = false;
  platform::SystemStatus problem;
  const std::string place = PlaceFor(path, std::string(), &same, &problem);
  if (place.empty()) return Failure(path, problem);
  if (same) {
    if (!env_.Remove(path).ok()) return Failure(path, "it cannot be removed from the working folder");
    return RunStatus::Ok();
  }
  if (env_.Rename(path, place).ok()) return RunStatus::Ok();
  // Another file system: copy, and remove the file only once it is kept.
  if (platform::SystemStatus copied = env_.Copy(path, place); !copied.ok()) {
    (void)env_.Remove(place);
    return Failure(path, copied);
  }
  if (!env_.Remove(path).ok()) return Failure(path, "it cannot be removed from the working folder");
  return RunStatus::Ok();
}

RunStatus Archive::KeepCopy(const std::string& path, const std::string& name_prefix) const {
  if (!on() || !platform::IsFile(env_, path)) return RunStatus::Ok();
  bool same = false;
  platform::SystemStatus problem;
  const std::string place = PlaceFor(path, name_prefix, &same, &problem);
  if (place.empty()) return Failure(path, problem);
  if (same) return RunStatus::Ok();
  if (platform::SystemStatus copied = env_.Copy(path, place); !copied.ok()) {
    (void)env_.Remove(place);
    return Failure(path, copied);
  }
  return RunStatus::Ok();
}

}  // namespace converter
