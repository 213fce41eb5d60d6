// Writing a scale file the converter makes (PLU file, store-name file):
// create or replace it under its case-insensitive name, write its hex text,
// and report any failure, including one on closing.
#pragma once

#include <string>

#include "common/owned_file.h"
#include "common/status.h"

namespace converter {

// Creates the file for writing, replacing a file whose name equals it
// ignoring case. Not open if it cannot be created.
common::OwnedFile CreateScaleFile(const std::string& path);

// Writes text; false on a write error.
bool WriteScaleText(const common::OwnedFile& file, const char* text, std::size_t length);

// Failures of scale files (kFailureScaleFile).
common::Status CouldNotCreate();
common::Status CouldNotWrite();

// The whole file at once.
common::Status WriteScaleFile(const std::string& path, const std::string& text);

}  // namespace converter
