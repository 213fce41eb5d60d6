// The transfer with one scale: find it, connect, run the conversation that
// the file number selects, and give the outcome.
#pragma once

#include <string>

#include "common/status.h"
#include "transfer/connection.h"
#include "transfer/run_settings.h"

namespace transfer {

// True for a scale argument that can name a scale and its files: not empty,
// no "/" and no "\".
bool IsUsableScaleArgument(const std::string& scale_argument);

// The file argument has at least three characters. Ok with the length of the
// last reply (or the connection handle when nothing was exchanged) in value;
// otherwise a failure whose code is the transfer's result code
// (transfer/results.h) and whose message is the cause in words. A scale
// argument that is not usable fails with kResultNoConnection without any
// connection.
common::Status TransferToScale(ConnectionTable& connections, const RunSettings& settings,
                               const std::string& scale_argument, const std::string& file_argument, int* value);

}  // namespace transfer
