#include "converter/driver.h"

#include <cstdio>

#include "converter/command_line.h"
#include "converter/load_mode.h"
#include "converter/report_modes.h"
#include "converter/run_context.h"
#include "converter/settings.h"
#include "platform/files.h"

namespace converter {

void PrintBanner() {
  std::fputs("Conversion finished.\n", stdout);
  std::fputs("Price-list converter for networked scales.\n", stdout);
}

int RunConverter(int argc, char** argv) {
  RunContext context;
  context.working_directory = platform::CurrentDirectory();

  std::string message;
  if (!ReadSettings(context.working_directory, &context.settings, &context.names, &message)) {
    std::fputs(message.c_str(), stdout);
    return kExitSettings;
  }
  context.program_directory = platform::ProgramDirectory();

  if (!ParseCommandLine(argc - 1, argv + 1, &context)) {
    std::fputs("Command line error.\n", stderr);
    return kExitCommandLine;
  }
  if (context.mode == RunMode::kLoad) return RunLoadMode(context);
  return RunRetrievalMode(context);
}

}  // namespace converter
