// The POSIX side of scale_sim.h: the scalesim built beside the tests, ended
// with SIGTERM.
#include <cstdio>

#include "support/scale_sim.h"
#include "support/test_support.h"

namespace testing_support {
namespace {

// How long the emulator may take to get ready, and to end once asked to.
constexpr int kScaleSimReadyMs = 5000;
constexpr int kScaleSimStopMs = 5000;

}  // namespace

bool ScaleSim::Start(const std::string& store, const std::vector<std::string>& listen,
                     const std::vector<std::string>& extra_arguments) {
  log_path_ = store + ".log";
  ready_path_ = store + ".ready";
  std::remove(ready_path_.c_str());
  ChildSetup setup;
  setup.input = StreamUse::kDiscard;
  setup.output = StreamUse::kDiscard;
  return process_.Start(BinPath("scalesim"), ServeArguments(store, listen, ready_path_, log_path_, extra_arguments),
                        setup) &&
         process_.WaitForReadyFile(ready_path_, kScaleSimReadyMs);
}

bool ScaleSim::Stop() {
  if (!process_.started() || process_.ended()) return false;
  process_.Terminate();
  bool ended = process_.Wait(kScaleSimStopMs);
  if (!ended) {
    process_.Kill();
    process_.Wait();
  }
  return ended && process_.exit_status() == 0;
}

}  // namespace testing_support
