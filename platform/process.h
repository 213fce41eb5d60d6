// Starting another program of the system and waiting for it.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts program with the arguments (not counting the program itself), the
// caller's environment and standard streams, and directory as its current
// directory; no command interpreter sees any of it, and the started program's
// argv after its name is exactly the list (on Windows, as its C run-time
// library splits its command line). Waits without a time limit until it has
// ended. False if it could not be started.
bool RunProgramAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& directory);

// The file name of a program of the system ("xferlnk" here, "xferlnk.exe"
// where programs carry an extension).
std::string ProgramFileName(const std::string& base_name);

}  // namespace platform
