#include "converter/run_lock.h"

#include "platform/files.h"

namespace converter {

const char kRunLockName[] = "velkocon.lck";

common::Status TakeRunLock(const RunContext& context, platform::FileLock* lock) {
  const std::string path = platform::JoinPath(context.working_directory, kRunLockName);
  common::Status status = lock->Acquire(path, [&context]() {
    context.messages->Err("Another run of VelkoCon is working in this folder: waiting for it to end.\n");
    context.messages->Flush();
  });
  if (!status.ok()) {
    return common::Status::Error(kFailureScaleFile,
                                 std::string("Could not create the lock file ") + kRunLockName + ": " + status.message() + "\n");
  }
  return common::Status::Ok();
}

}  // namespace converter
