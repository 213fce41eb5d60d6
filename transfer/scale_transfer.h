// The transfer with one scale: find it, connect, run the conversation that
// the file number selects, and give the outcome.
#pragma once

#include <string>

#include "common/message_sink.h"
#include "common/status.h"
#include "transfer/connection.h"
#include "transfer/run_settings.h"

namespace transfer {

// True for a scale argument that can name a scale and its files: not empty,
// no "/" and no "\".
bool IsUsableScaleArgument(const std::string& scale_argument);

struct ScaleOutcome {
  // Ok, or a failure whose code is the transfer's result code
  // (transfer/results.h) and whose message is the cause in words.
  common::Status status;
  // Success: the length of the last reply, or the connection handle when
  // nothing was exchanged.
  int value = 0;
  // The scale in messages: "scale 001 (S0001:2001)", and where it was
  // looked for: "S0001:2001" (the host alone while the port is not known).
  std::string scale;
  std::string place;
  // The records or keys sent, or the records read.
  long records = 0;
};

// The file argument has at least three characters. A scale argument that is
// not usable fails with kResultNoConnection without any connection. With
// show_progress, a line on the error stream keeps the count up to date.
ScaleOutcome TransferToScale(ConnectionTable& connections, const RunSettings& settings,
                             const std::string& scale_argument, const std::string& file_argument,
                             bool show_progress);

}  // namespace transfer
