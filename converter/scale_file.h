// Writing a file the converter makes (the PLU file, the store-name file, the
// empty key file): created or replaced under its case-insensitive name, and
// every failure reported, one on closing too.
#pragma once

#include <memory>
#include <string>

#include "converter/run_failure.h"
#include "platform/env.h"

namespace converter {

// Failures of the converter's own files (RunFailure::kScaleFile): "Could not
// create file." and "Could not write file.", with the file and the system's
// reason as their cause.
RunStatus CouldNotCreate(const std::string& path, const platform::SystemStatus& reason);
RunStatus CouldNotWrite(const std::string& path, const platform::SystemStatus& reason);

// Creates the file for writing, replacing one whose name equals it ignoring
// case.
RunStatus CreateScaleFile(platform::Env& env, const std::string& path, std::unique_ptr<platform::OutputFile>* file);

// The whole file at once.
RunStatus WriteScaleFile(platform::Env& env, const std::string& path, const std::string& text);

// The last part of a path: its file name.
std::string FileNameOf(const std::string& path);

}  // namespace converter
