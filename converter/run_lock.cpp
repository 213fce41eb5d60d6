#include "converter/run_lock.h"

#include "platform/env.h"

namespace converter {

const char kRunLockName[] = "velkocon.lck";

RunStatus TakeRunLock(const RunContext& context, platform::FileLock* lock) {
  const std::string path = platform::JoinPath(context.working_directory, kRunLockName);
  platform::SystemStatus status = context.env->Lock(path, [&context]() {
    context.messages->Err("Another run of VelkoCon is working in this folder: waiting for it to end.\n");
    context.messages->Flush();
  }, lock);
  if (!status.ok()) {
    return status.As(RunFailure::kScaleFile,
                     std::string("Could not create the lock file ") + kRunLockName + ": " + status.message());
  }
  return RunStatus::Ok();
}

}  // namespace converter
