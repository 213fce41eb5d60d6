#include "common/program_info.h"

#include <cstring>

namespace common {

const char* ProgramVersion() { return SCALELINK_VERSION; }

InfoRequest InfoRequestOf(int argc, char** argv) {
  if (argc != 2) return InfoRequest::kNone;
  const char* word = argv[1];
  if (std::strcmp(word, "-h") == 0 || std::strcmp(word, "--help") == 0 || std::strcmp(word, "/?") == 0) {
    return InfoRequest::kHelp;
  }
  if (std::strcmp(word, "--version") == 0) return InfoRequest::kVersion;
  return InfoRequest::kNone;
}

bool AnswerInfoRequest(int argc, char** argv, const char* name, std::string_view help, MessageSink& messages) {
  const InfoRequest request = InfoRequestOf(argc, argv);
  if (request == InfoRequest::kNone) return false;
  messages.Print(Stream::kOut, "%s %s\n", name, ProgramVersion());
  if (request == InfoRequest::kHelp) messages.Out(help);
  return true;
}

}  // namespace common
