// Win32 implementation of platform/file_lock.h with LockFileEx on the first
// byte of the file; the system drops the lock when the handle closes.
#include "platform/file_lock.h"

#include "platform/windows_headers_win32.h"

#include "platform/system_error.h"

namespace platform {
namespace {

// The range locked: the first byte, whether or not the file has one.
constexpr DWORD kLockedBytes = 1;

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

bool LockFirstByte(HANDLE file, DWORD flags) {
  OVERLAPPED at_start;
  ZeroMemory(&at_start, sizeof at_start);
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | flags, 0, kLockedBytes, 0, &at_start) != 0;
}

}  // namespace

FileLock::~FileLock() { Release(); }

SystemStatus FileLock::Acquire(const std::string& path, const std::function<void()>& before_waiting,
                               int wait_seconds) {
  Release();
  // Not inherited by started programs: no security attributes ask for it.
  // An account that may not write the file locks it read-only.
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  writable_ = file != INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    file = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) {
    return SystemError(static_cast<int>(GetLastError()));
  }
  bool locked = LockFirstByte(file, LOCKFILE_FAIL_IMMEDIATELY);
  if (!locked && GetLastError() == ERROR_LOCK_VIOLATION) {
    before_waiting();
    if (wait_seconds == kWaitForever) {
      locked = LockFirstByte(file, 0);
    } else {
      // Tried again every tenth of a second until the wait runs out.
      for (int tries = 10 * wait_seconds; !locked && tries > 0; --tries) {
        Sleep(100);
        locked = LockFirstByte(file, LOCKFILE_FAIL_IMMEDIATELY);
        if (!locked && GetLastError() != ERROR_LOCK_VIOLATION) break;
      }
      if (!locked && GetLastError() == ERROR_LOCK_VIOLATION) {
        CloseHandle(file);
        return SystemStatus::Error(SystemCode::kTimedOut, "another run holds the lock");
      }
    }
  }
  if (!locked) {
    const int error = static_cast<int>(GetLastError());
    CloseHandle(file);
    return SystemError(error);
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return SystemStatus::Ok();
}

void FileLock::Note(const std::string& text) {
  if (handle_ == kNone || !writable_) return;
  HANDLE file = AsHandle(handle_);
  LARGE_INTEGER start;
  start.QuadPart = 0;
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN) || !SetEndOfFile(file)) return;
  DWORD written = 0;
  (void)WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void FileLock::Release() {
  if (handle_ == kNone) return;
  HANDLE file = AsHandle(handle_);
  OVERLAPPED at_start;
  ZeroMemory(&at_start, sizeof at_start);
  UnlockFileEx(file, 0, kLockedBytes, 0, &at_start);
  CloseHandle(file);
  handle_ = kNone;
}

}  // namespace platform
