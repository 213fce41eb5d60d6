// Starting another program of the system and waiting for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_error.h"

namespace platform {

// How a started program ended.
struct ProgramEnd {
  // True if a signal ended it (POSIX only); signal then names it.
  bool by_signal = false;
  int signal = 0;
  // Otherwise its exit status: 0..255 on POSIX, the whole 32-bit exit code
  // on Windows (a program ending with -1 gives 255 on POSIX, 4294967295 on
  // Windows).
  std::uint32_t exit_status = 0;
};

// Starts program with the arguments (not counting the program itself), the
// caller's environment and standard streams, and directory as its current
// directory; no command interpreter sees any of it, and the started program's
// argv after its name is exactly the list (on Windows, as its C run-time
// library splits its command line). Waits without a time limit until it has
// ended and fills *end.
//
// The started program does not outlive the caller: should the caller die
// while it runs, the system ends it (Linux: SIGKILL through
// PR_SET_PDEATHSIG; Windows: a job object that kills its processes when the
// caller's handle to it closes, where the system lets the program join one;
// the programs it starts in turn go with it there, too).
//
// A failure if it could not be started (no such program, not executable, no
// such directory...): the code is the system's error number (errno,
// GetLastError), the message the system's reason in words.
SystemStatus RunProgramToEnd(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& directory, ProgramEnd* end);

// The file name of a program of the system ("xferlnk" here, "xferlnk.exe"
// where programs carry an extension).
std::string ProgramFileName(const std::string& base_name);

}  // namespace platform
