// What a run of the transfer program takes from its environment: the
// transfer mode and the time limit for a scale's reply.
#pragma once

#include <string>

#include "common/scale_file_names.h"

namespace transfer {

// Scale-number mode: a scale argument is a scale number (7 is the host S0007
// on port 2007). DHCP mode: a scale argument is a host name or address.
using common::TransferMode;

constexpr int kDefaultReplyWaitSeconds = 15;
constexpr int kMinReplyWaitSeconds = 1;
constexpr int kMaxReplyWaitSeconds = 3600;

struct RunSettings {
  TransferMode mode = TransferMode::kScaleNumber;
  int reply_wait_ms = kDefaultReplyWaitSeconds * 1000;
};

// DHCP mode when the variable is defined and its value is "DHCP" in any
// letter case, nothing more or less; scale-number mode otherwise.
TransferMode TransferModeFromValue(bool defined, const std::string& value);

// The reply time limit in seconds: the value when it is a decimal number
// from 1 to 3600, the default otherwise.
int ReplyWaitSecondsFromValue(bool defined, const std::string& value);

// Reads XFLTCPMODE and XFLTIMEOUT (names in any letter case).
RunSettings ReadRunSettings();

}  // namespace transfer
