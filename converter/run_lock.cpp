#include "converter/run_lock.h"

#include "common/run_log.h"
#include "platform/env.h"

namespace converter {

const char kRunLockName[] = "velkocon.lck";

RunStatus TakeRunLock(const RunContext& context, platform::FileLock* lock) {
  platform::Env& env = *context.env;
  const std::string path = platform::JoinPath(context.working_directory, kRunLockName);
  const int wait_seconds = context.settings.lock_wait_seconds;
  platform::SystemStatus status = env.Lock(path, [&context, wait_seconds]() {
    context.messages->Err("Another run of VelkoCon is working in this folder: waiting for it to end (at most " +
                          std::to_string(wait_seconds) + " s).\n");
    context.messages->Flush();
  }, wait_seconds, lock);
  if (status.code() == platform::SystemCode::kTimedOut) {
    // The holder notes itself in the lock file when it takes the lock.
    const platform::FileInfo info = env.Stat(path);
    return status.As(RunFailure::kScaleFile, std::string("The folder is busy: another run holds ") + kRunLockName)
        .WithCause("another run of VelkoCon has held " + std::string(kRunLockName) + " since " +
                   (info.exists ? common::IsoLocalTime(info.modified) : std::string("an unknown time")) +
                   " (local time), and still held it after " + std::to_string(wait_seconds) +
                   " s of waiting (setting Lock Wait)");
  }
  if (!status.ok()) {
    return status.As(RunFailure::kScaleFile,
                     std::string("Could not create the lock file ") + kRunLockName + ": " + status.message());
  }
  lock->Note(common::IsoLocalTime(env.LocalNow()) + " VelkoCon scale=" + ScalesText(context) + "\n");
  return RunStatus::Ok();
}

}  // namespace converter
