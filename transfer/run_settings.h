// What a run of the transfer program takes from its environment: the
// transfer mode and the time limit for a scale's reply.
#pragma once

#include <string>

#include "common/scale_file_names.h"

namespace transfer {

constexpr int kDefaultReplyWaitSeconds = 15;
constexpr int kMinReplyWaitSeconds = 1;
constexpr int kMaxReplyWaitSeconds = 3600;

// The most records one read takes before it ends as failed: a scale that
// hands out ever new keys would otherwise fill the disk.
constexpr long kDefaultMaxRecords = 1000000;
constexpr long kMaxMaxRecords = 100000000;

// How many scales one run serves at once: one after another unless told.
constexpr int kDefaultParallelScales = 1;

struct RunSettings {
  // Scale-number mode: a scale argument is a scale number (7 is the host
  // S0007 on port 2007). DHCP mode: a scale argument is a host name or
  // address.
  common::TransferMode mode = common::TransferMode::kScaleNumber;
  int reply_wait_ms = kDefaultReplyWaitSeconds * 1000;
  long max_records = kDefaultMaxRecords;
  int parallel = kDefaultParallelScales;
};

// The reply time limit in seconds: the value when it is a decimal number
// from 1 to 3600, the default otherwise.
int ReplyWaitSecondsFromValue(bool defined, const std::string& value);

// The record limit: the value when it is a decimal number from 1 to
// kMaxMaxRecords, the default otherwise.
long MaxRecordsFromValue(bool defined, const std::string& value);

// Reads XFLTCPMODE, XFLTIMEOUT, XFLMAXRECORDS and XFLPARALLEL (names in any
// letter case).
RunSettings ReadRunSettings();

}  // namespace transfer
