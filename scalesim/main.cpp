// scalesim: a networked price-computing scale in software, for tests, demos
// and for trying a price list without a scale.
//
//   scalesim serve --store DIR --listen ADDR:PORT [--listen ...] [--ready FILE] [--log FILE] [faults]
//   scalesim show  --store DIR [--scale N] [--codepage Win|Dos|ANSI:OEM]
//   scalesim sell  --store DIR --scale N --count N --seed S
#include <cstdio>
#include <string>
#include <vector>

#include "scalesim/server.h"
#include "scalesim/serve_options.h"
#include "scalesim/sell.h"
#include "scalesim/show.h"

namespace {

const char kUsage[] =
    "Usage: scalesim serve --store DIR --listen ADDR:PORT [--listen ADDR:PORT ...] [--ready FILE]\n"
    "                      [--log FILE] [--refuse | --no-accept | --no-answer | --close-after N |\n"
    "                      --reset-after N | --delay-ms N | --reply HEX | --echo-key | --short-reply N]\n"
    "       scalesim show --store DIR [--scale N] [--codepage Win|Dos|ANSI:OEM]\n"
    "       scalesim sell --store DIR --scale N --count N --seed S\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return scalesim::kExitUsage;
  }
  std::string command = argv[1];
  std::vector<std::string> arguments(argv + 2, argv + argc);
  std::string problem;
  if (command == "serve") {
    scalesim::ServeOptions options;
    if (!scalesim::ParseServeArguments(arguments, &options, &problem)) {
      std::fputs(problem.c_str(), stderr);
      std::fputs(kUsage, stderr);
      return scalesim::kExitUsage;
    }
    return scalesim::Serve(options);
  }
  if (command == "show") {
    scalesim::ShowOptions options;
    if (!scalesim::ParseShowArguments(arguments, &options, &problem)) {
      std::fputs(problem.c_str(), stderr);
      std::fputs(kUsage, stderr);
      return scalesim::kExitUsage;
    }
    return scalesim::Show(options);
  }
  if (command == "sell") {
    scalesim::SellOptions options;
    if (!scalesim::ParseSellArguments(arguments, &options, &problem)) {
      std::fputs(problem.c_str(), stderr);
      std::fputs(kUsage, stderr);
      return scalesim::kExitUsage;
    }
    return scalesim::Sell(options);
  }
  std::fputs(kUsage, stderr);
  return scalesim::kExitUsage;
}
