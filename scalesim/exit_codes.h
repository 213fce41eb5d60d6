// The exit codes of the emulator's commands.
#pragma once

namespace scalesim {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;          // the command line is not usable
constexpr int kExitStartFailed = 2;    // a store or listener could not be set up, or show found no scale
constexpr int kExitStoreFailed = 3;    // a store could not be written
constexpr int kExitNothingToSell = 4;  // sell found no PLUs

}  // namespace scalesim
