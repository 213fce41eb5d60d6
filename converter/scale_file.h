// Writing a scale file the converter makes (PLU file, store-name file):
// create or replace it under its case-insensitive name, write its hex text,
// and report any failure, including one on closing.
#pragma once

#include <cstdio>
#include <string>

namespace converter {

// Creates the file for writing, replacing a file whose name equals it
// ignoring case. Null if it cannot be created.
std::FILE* CreateScaleFile(const std::string& path);

// Writes text; false on a write error.
bool WriteScaleText(std::FILE* file, const char* text, std::size_t length);

// Closes the file; false if the data did not all reach it.
bool CloseScaleFile(std::FILE* file);

// The whole file at once. Returns kExitOk, or kExitScaleFile after
// "Could not create file.\n" or "Could not write file.\n" on the error
// stream.
int WriteScaleFile(const std::string& path, const std::string& text);

}  // namespace converter
