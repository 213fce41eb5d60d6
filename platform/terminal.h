// Whether the program talks to a person at a terminal.
#pragma once

namespace platform {

// True if the standard error stream goes to a terminal (a console window on
// Windows); false for a file, a pipe, or no stream at all.
bool StandardErrorIsTerminal();

}  // namespace platform
