// VelkoCon, the converter: loads a shop's price list into a scale and fetches
// its reports, through the transfer program.
#include "common/message_sink.h"
#include "converter/driver.h"
#include "platform/env.h"

int main(int argc, char** argv) {
  common::ConsoleSink console;
  const int exit_code = converter::RunConverter(argc, argv, platform::SystemEnv(), console);
  console.Flush();
  return exit_code;
}
