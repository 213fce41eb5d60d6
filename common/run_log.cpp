#include "common/run_log.h"

#include <cstdio>
#include <cstdlib>

namespace common {

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

platform::SystemStatus RunLog::Write(const std::string& text) const {
  if (!on()) return platform::SystemStatus::Ok();
  const platform::FileInfo info = env_->Stat(path_);
  if (info.exists && !info.folder && info.size >= kMaxLogBytes) (void)env_->Rename(path_, path_ + ".1");
  const std::string line = IsoLocalTime(env_->LocalNow()) + " " + text + "\n";
  // One write of the whole line in append mode: two programs that take turns
  // never cut each other's lines.
  std::unique_ptr<platform::OutputFile> file;
  if (platform::SystemStatus opened = env_->OpenForAppending(path_, &file); !opened.ok()) return opened;
  platform::SystemStatus written = file->Write(line.data(), line.size());
  platform::SystemStatus closed = file->Close();
  return written.ok() ? closed : written;
}

}  // namespace common
