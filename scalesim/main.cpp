// scalesim: a networked price-computing scale in software, for tests, demos
// and for trying a price list without a scale.
//
//   scalesim serve --store DIR --listen ADDR:PORT [--listen ...] [--ready FILE] [--log FILE] [faults]
//   scalesim show  --store DIR [--scale N] [--codepage Win|Dos|ANSI:OEM]
//   scalesim sell  --store DIR --scale N --count N --seed S
//
// The options of all three are in scalesim/command_line.cpp.
#include <cstdio>
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/program_info.h"
#include "scalesim/command_line.h"
#include "scalesim/exit_codes.h"
#include "scalesim/sell.h"
#include "scalesim/server.h"
#include "scalesim/show.h"

namespace {

int Run(int argc, char** argv, common::MessageSink& console) {
  const std::string help = std::string("A networked price-computing scale in software.\n\n") + scalesim::kUsage;
  if (common::AnswerInfoRequest(argc, argv, "scalesim", help.c_str(), console)) return scalesim::kExitOk;
  scalesim::Command command;
  if (argc < 2 || !scalesim::FindCommand(argv[1], &command)) {
    console.Err(scalesim::kUsage);
    return scalesim::kExitUsage;
  }
  std::vector<std::string> arguments(argv + 2, argv + argc);
  scalesim::Options options;
  std::string problem;
  if (!scalesim::ParseCommandLine(command, arguments, &options, &problem)) {
    console.Err(problem);
    console.Err(scalesim::kUsage);
    return scalesim::kExitUsage;
  }
  switch (command) {
    case scalesim::Command::kServe: return scalesim::Serve(options, console);
    case scalesim::Command::kShow: return scalesim::Show(options, console);
    case scalesim::Command::kSell: return scalesim::Sell(options, console);
  }
  return scalesim::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  common::ConsoleSink console;
  int exit_code = Run(argc, argv, console);
  console.Flush();
  return exit_code;
}
