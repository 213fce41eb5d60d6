// POSIX implementation of platform/file_lock.h with flock, whose lock belongs
// to the open file and goes with its last descriptor.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"
#include "platform/system_error.h"

namespace platform {

FileLock::~FileLock() { Release(); }

SystemStatus FileLock::Acquire(const std::string& path, const std::function<void()>& before_waiting) {
  Release();
  int fd = open(ResolveName(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return SystemError(errno);
  int rc = flock(fd, LOCK_EX | LOCK_NB);
  if (rc != 0 && errno == EWOULDBLOCK) {
    before_waiting();
    while ((rc = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
  }
  if (rc != 0) {
    int error = errno;
    close(fd);
    return SystemError(error);
  }
  handle_ = fd;
  return SystemStatus::Ok();
}

void FileLock::Release() {
  if (handle_ == kNone) return;
  close(static_cast<int>(handle_));  // the lock goes with the file
  handle_ = kNone;
}

}  // namespace platform
