// The transfer with one scale: find it, connect, run the conversation that
// the file number selects, and give the outcome.
#pragma once

#include <string>

#include "common/message_sink.h"
#include "common/transfer_contract.h"
#include "platform/env.h"
#include "transfer/connection.h"
#include "transfer/progress.h"
#include "transfer/run_settings.h"

namespace transfer {

// True for a scale argument that can name a scale and its files: not empty,
// no "/" and no "\".
bool IsUsableScaleArgument(const std::string& scale_argument);

struct ScaleOutcome {
  // Ok, or the transfer's result with the cause in words.
  common::TransferStatus status;
  // The scale in messages: "scale 001 (S0001:2001)", and where it was
  // looked for: "S0001:2001" (the host alone while the port is not known).
  std::string scale;
  std::string place;
  // The records or keys sent, or the records read.
  long records = 0;
};

// What a transfer with one scale works with.
struct ScaleTransferSetup {
  platform::Env& env;
  ConnectionTable& connections;
  const RunSettings& settings;
  common::MessageSink& messages;
  bool progress_line;     // a line of the scale's own on the error stream keeps the count up to date
  ProgressBoard* board;   // or one line of all scales served at once; null: neither
};

// The file argument has at least three characters. A scale argument that is
// not usable fails with kNoConnection without any connection.
ScaleOutcome TransferToScale(const ScaleTransferSetup& setup, const std::string& scale_argument,
                             const std::string& file_argument);

}  // namespace transfer
