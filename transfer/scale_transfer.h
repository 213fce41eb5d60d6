// The transfer with one scale: find it, connect, run the conversation that
// the file number selects, and give the result (transfer/results.h).
#pragma once

#include <string>

#include "transfer/connection.h"
#include "transfer/run_settings.h"

namespace transfer {

// True for a scale argument that can name a scale and its files: not empty,
// no "/" and no "\".
bool IsUsableScaleArgument(const std::string& scale_argument);

// The file argument has at least three characters. A scale argument that is
// not usable fails with kResultNoConnection without any connection.
int TransferToScale(ConnectionTable& connections, TransferMode mode, const std::string& scale_argument,
                    const std::string& file_argument);

}  // namespace transfer
