#include "converter/transfer_launcher.h"

#include <vector>

#include "platform/files.h"
#include "platform/process.h"

namespace converter {
namespace {

// The scale identifier split at runs of blanks: "1 2" asks for scales 1 and 2.
std::vector<std::string> SplitAtBlanks(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (c == ' ') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

}  // namespace

void RunTransfer(const RunContext& context, common::DataFile file) {
  std::string name = platform::ProgramFileName("xferlnk");
  std::string program = platform::ResolveName(platform::JoinPath(context.working_directory, name));
  if (!platform::FileExists(program)) program = context.program_directory + name;

  std::vector<std::string> arguments = {common::DataFileArgument(file)};
  for (const std::string& scale : SplitAtBlanks(context.scale_identifier)) arguments.push_back(scale);

  context.messages->Flush();
  if (!platform::RunProgramAndWait(program, arguments, context.working_directory)) {
    context.messages->Print(common::Stream::kErr, "Could not start the transfer program %s\n", program.c_str());
    context.messages->Flush();
  }
}

}  // namespace converter
