#include "transfer/driver.h"

#include <cstdio>
#include <cstring>

#include "platform/sockets.h"
#include "transfer/connection.h"
#include "transfer/result_files.h"
#include "transfer/run_settings.h"
#include "transfer/scale_transfer.h"
#include "transfer/transfer_files.h"

namespace transfer {
namespace {

constexpr int kFirstScaleArgument = 2;

int EndRun(int exit_code) {
  std::fflush(stdout);
  return exit_code;
}

}  // namespace

int RunTransferProgram(int argc, char** argv) {
  const RunSettings settings = ReadRunSettings();
  if (argc <= kFirstScaleArgument || std::strlen(argv[1]) < kMinFileArgumentLength) {
    std::printf(settings.mode == TransferMode::kDhcp ? "Please enter the filename and host name(s)"
                                                     : "Please enter filename and port number(s)");
    return EndRun(kExitFailed);
  }
  if (!platform::StartSockets()) {
    platform::StopSockets();
    return EndRun(kExitFailed);
  }
  {
    ResultFiles results;
    if (!results.Create()) {
      std::printf("Could not create result files\n");
      platform::StopSockets();
      return EndRun(kExitFailed);
    }
    ConnectionTable connections(settings.mode, settings.reply_wait_ms);
    const std::string file_argument = argv[1];
    for (int i = kFirstScaleArgument; i < argc; ++i) {
      const int result = TransferToScale(connections, settings.mode, argv[i], file_argument);
      if (result < 0) results.Record(argv[i], result);
    }
    results.Finish();
  }
  platform::StopSockets();
  return EndRun(kExitDone);
}

}  // namespace transfer
