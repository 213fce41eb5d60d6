// What every program tells about itself: its version (one for the whole
// project, set in CMakeLists.txt), and whether its command line asks for its
// help or version rather than for work.
#pragma once

namespace common {

// "1.0.0".
const char* ProgramVersion();

// The word that asks for help ("-h", "--help", "/?") or for the version
// ("--version"), as the only argument.
enum class InfoRequest { kNone, kHelp, kVersion };
InfoRequest InfoRequestOf(int argc, char** argv);

}  // namespace common
