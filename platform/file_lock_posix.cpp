// POSIX implementation of platform/file_lock.h with flock, whose lock belongs
// to the open file and goes with its last descriptor.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"
#include "platform/system_error.h"

namespace platform {

FileLock::~FileLock() { Release(); }

SystemStatus FileLock::Acquire(const std::string& path, const std::function<void()>& before_waiting,
                               int wait_seconds) {
  Release();
  const std::string name = ResolveName(path);
  // Made open to every account, whatever the creator's umask, so that each
  // account that runs in the folder can lock it; one that may not write it
  // locks it read-only.
  int fd = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    (void)fchmod(fd, 0666);
  } else {
    fd = open(name.c_str(), O_RDWR | O_CLOEXEC);
  }
  writable_ = fd >= 0;
  if (fd < 0) fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SystemError(errno);
  int rc = flock(fd, LOCK_EX | LOCK_NB);
  if (rc != 0 && errno == EWOULDBLOCK) {
    before_waiting();
    if (wait_seconds == kWaitForever) {
      while ((rc = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
      }
    } else {
      // Tried again every tenth of a second until the wait runs out.
      for (int tries = 10 * wait_seconds; rc != 0 && errno == EWOULDBLOCK && tries > 0; --tries) {
        usleep(100000);
        rc = flock(fd, LOCK_EX | LOCK_NB);
      }
      if (rc != 0 && errno == EWOULDBLOCK) {
        close(fd);
        return SystemStatus::Error(SystemCode::kTimedOut, "another run holds the lock");
      }
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

void FileLock::Note(const std::string& text) {
  if (handle_ == kNone || !writable_) return;
  const int fd = static_cast<int>(handle_);
  if (ftruncate(fd, 0) != 0) return;
  ssize_t ignored = pwrite(fd, text.data(), text.size(), 0);
  (void)ignored;
}

void FileLock::Release() {
  if (handle_ == kNone) return;
  close(static_cast<int>(handle_));  // the lock goes with the file
  handle_ = kNone;
}

}  // namespace platform
