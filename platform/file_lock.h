// An exclusive lock on a lock file, held for a whole run, so that two runs
// that must not overlap take turns.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/system_error.h"

namespace platform {

class FileLock {
 public:
  FileLock() = default;
  // Releases the lock if it is held.
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // No limit to the wait for the lock.
  static constexpr int kWaitForever = -1;

  // Opens the lock file (creating it if need be, under the resolved name of
  // files.h, open to every account: one that may not write it locks it
  // read-only) and takes the lock. If another holder has it (another
  // process, or another FileLock of this one), calls before_waiting once, so
  // that the caller can say that it waits, and then waits until the lock is
  // free, or at most wait_seconds: then a failure with the code kTimedOut. A
  // failure (code: what the system said, message: its reason in words) if the
  // file cannot be opened or locked. The programs this process starts do not
  // inherit the lock.
  SystemStatus Acquire(const std::string& path, const std::function<void()>& before_waiting,
                       int wait_seconds = kWaitForever);

  // Writes text as the whole contents of the locked file (who holds it and
  // since when), where it could be opened for writing; nothing otherwise.
  // The file's time of last writing then tells a waiter since when it is
  // held.
  void Note(const std::string& text);

  // Releases the lock and closes the file, which stays. The system releases
  // it, too, when the process ends in any way.
  void Release();

  bool held() const { return handle_ != kNone; }

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;  // the open file: a descriptor or a handle
  bool writable_ = false;         // it was opened for writing
};

}  // namespace platform
