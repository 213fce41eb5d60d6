#include "common/run_log.h"

#include <cstdio>
#include <cstdlib>

#include "common/owned_file.h"
#include "platform/files.h"

namespace common {

const char kLogVariable[] = "VELKOCON_LOG";

std::string IsoLocalTime(const platform::LocalTime& t) {
  const int offset = t.utc_offset_minutes;
  const int magnitude = std::abs(offset);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second, offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return text;
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

bool RunLog::Write(const std::string& text) const {
  if (!on()) return true;
  std::uint64_t size = 0;
  if (platform::ReadFileSize(path_, &size) && size >= kMaxLogBytes) {
    (void)platform::RenameFile(path_, path_ + ".1");
  }
  const std::string line = IsoLocalTime(platform::CurrentLocalTime()) + " " + text + "\n";
  // One write of the whole line in append mode: two programs that take turns
  // never cut each other's lines.
  OwnedFile file(std::fopen(platform::ResolveName(path_).c_str(), "ab"));
  if (!file.is_open()) return false;
  bool written = std::fwrite(line.data(), 1, line.size(), file.get()) == line.size();
  return file.Close() && written;
}

}  // namespace common
