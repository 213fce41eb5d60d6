// What platform/terminal.h promises: the standard error stream of this test
// is pointed at a file, then (POSIX) at a pseudo-terminal, and put back.
#include "platform/terminal.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

#ifdef _WIN32
#include "platform/windows_headers_win32.h"
#else
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

// Points the standard error stream at a file. (wine without a display has
// no console to point it at, so the other half is for POSIX only.)
class ErrorStreamRedirect {
 public:
  ErrorStreamRedirect() : saved_(GetStdHandle(STD_ERROR_HANDLE)) {}
  ~ErrorStreamRedirect() {
    SetStdHandle(STD_ERROR_HANDLE, saved_);
    if (target_ != INVALID_HANDLE_VALUE) CloseHandle(target_);
  }
  bool ToFile(const std::string& path) {
    target_ = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return target_ != INVALID_HANDLE_VALUE && SetStdHandle(STD_ERROR_HANDLE, target_);
  }

 private:
  HANDLE saved_;
  HANDLE target_ = INVALID_HANDLE_VALUE;
};

#else

class ErrorStreamRedirect {
 public:
  ErrorStreamRedirect() : saved_(dup(STDERR_FILENO)) {}
  ~ErrorStreamRedirect() {
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    if (target_ >= 0) close(target_);
    if (terminal_ >= 0) close(terminal_);
  }
  bool ToFile(const std::string& path) {
    target_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return target_ >= 0 && dup2(target_, STDERR_FILENO) >= 0;
  }
  bool ToTerminal() {
    terminal_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal_ < 0 || grantpt(terminal_) != 0 || unlockpt(terminal_) != 0) return false;
    target_ = open(ptsname(terminal_), O_RDWR | O_NOCTTY | O_CLOEXEC);
    return target_ >= 0 && dup2(target_, STDERR_FILENO) >= 0;
  }

 private:
  int saved_;
  int target_ = -1;
  int terminal_ = -1;
};

#endif

TEST(TerminalTest, FileIsNoTerminalButATerminalIs) {
  testing_support::TempDir dir;
  {
    ErrorStreamRedirect redirect;
    ASSERT_TRUE(redirect.ToFile(dir.File("errors")));
    EXPECT_FALSE(platform::StandardErrorIsTerminal());
  }
#ifndef _WIN32
  ErrorStreamRedirect redirect;
  ASSERT_TRUE(redirect.ToTerminal());
  EXPECT_TRUE(platform::StandardErrorIsTerminal());
#endif
}

}  // namespace
