// The archive: a folder (the setting Archive, "archive" of the working folder
// unless it names another; empty: none) where every incoming file and every
// report file the converter writes is kept, so that nothing a scale handed
// over is lost when a later fetch replaces a file, or a report cannot be
// written. A file is kept under the day and time it was last written:
//
//   archive/2026-12-08/QS001T30-060001.DAT      an incoming file
//   archive/2026-12-08/001-transact-060003.txt  a report of scale 001
//
// A name already taken by other bytes gets "-2", "-3"... before its ending; a
// file whose bytes are already kept under its name is not kept twice.
#pragma once

#include <string>

#include "converter/run_context.h"

namespace converter {

class Archive {
 public:
  explicit Archive(const RunContext& context);
  bool on() const { return !folder_.empty(); }

  // Moves an incoming file left by an earlier run into the archive before a
  // fetch replaces it; no file there is fine. A failure (the file stays where
  // it is) names the file and the reason.
  RunStatus KeepLeftover(const std::string& path) const;

  // Copies a file just written into the archive; name_prefix goes before its
  // name there ("001-" for a report of scale 001). A failure names the file
  // and the reason; the file stays where it is.
  RunStatus KeepCopy(const std::string& path, const std::string& name_prefix = std::string()) const;

 private:
  // Where path is kept: a free name in the folder of its day, or the name
  // that already holds the same bytes (*same set). Empty with the failure in
  // *problem when the folder cannot be made.
  std::string PlaceFor(const std::string& path, const std::string& name_prefix, bool* same,
                       platform::SystemStatus* problem) const;

  platform::Env& env_;
  std::string folder_;
};

}  // namespace converter
