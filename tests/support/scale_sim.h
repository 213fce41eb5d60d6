// The scale emulator, scalesim, started in the background for a test and
// stopped (its store written) when the object ends or Stop is called.
//
// On Linux it is the scalesim built beside the tests. On Windows it is the
// Linux scalesim too, which the test starts under wine (there is no Windows
// build of the emulator): the environment variable SCALELINK_SCALESIM names
// it by its Unix path; see scale_sim_win32.cpp.
#pragma once

#include <string>
#include <vector>

#include "support/child_process.h"

namespace testing_support {

class ScaleSim {
 public:
  ScaleSim() = default;
  ScaleSim(const ScaleSim&) = delete;
  ScaleSim& operator=(const ScaleSim&) = delete;
  ~ScaleSim() { Stop(); }
  // Starts "scalesim serve --store store --listen A:P ... --ready F --log L"
  // with the extra arguments, and waits until it is ready. False if it did
  // not get ready within a few seconds.
  bool Start(const std::string& store, const std::vector<std::string>& listen,
             const std::vector<std::string>& extra_arguments = {});
  // Stops it and waits; true if it ended with status 0.
  bool Stop();
  // The packet log written so far.
  std::string Log() const;
  const std::string& log_path() const { return log_path_; }

 private:
  // "serve" and its arguments, as Start describes them.
  static std::vector<std::string> ServeArguments(const std::string& store, const std::vector<std::string>& listen,
                                                 const std::string& ready, const std::string& log,
                                                 const std::vector<std::string>& extra_arguments);

  std::string log_path_;
  std::string ready_path_;
#ifdef _WIN32
  // Under wine the Linux emulator has no process handle: it is stopped by
  // its stop file, and its end is its exit status in the status file.
  bool running_ = false;
  std::string stop_path_;
  std::string status_path_;
#else
  ChildProcess process_;
#endif
};

}  // namespace testing_support
