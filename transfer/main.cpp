// xferlnk, the transfer program: sends a scale file to each scale named on
// its command line, or reads one from it, and records the failures.
#include "common/message_sink.h"
#include "platform/env.h"
#include "transfer/driver.h"

int main(int argc, char** argv) {
  common::ConsoleSink console;
  const int exit_code = transfer::RunTransferProgram(argc, argv, platform::SystemEnv(), console);
  console.Flush();
  return exit_code;
}
