// What every program tells about itself: its version (one for the whole
// project, set in CMakeLists.txt), and whether its command line asks for its
// help or version rather than for work.
#pragma once

#include <string_view>

#include "common/message_sink.h"

namespace common {

// "1.0.0".
const char* ProgramVersion();

// The word that asks for help ("-h", "--help", "/?") or for the version
// ("--version"), as the only argument.
enum class InfoRequest { kNone, kHelp, kVersion };
InfoRequest InfoRequestOf(int argc, char** argv);

// Answers such a request on the standard output: "<name> <version>", and
// for help the help text after it. True if the command line was one.
bool AnswerInfoRequest(int argc, char** argv, const char* name, std::string_view help, MessageSink& messages);

}  // namespace common
