// Small helpers shared by the harnesses: a private scratch directory for the
// harnesses that must go through files, and a check that aborts with a
// message (libFuzzer then saves the input).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// A directory of this process's own (in /dev/shm if it can, else /tmp),
// made once and reused, removed when the process exits.
const std::string& ScratchDirectory();

// Writes bytes to path, replacing it; aborts if it cannot.
void WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size);

// The bytes of path; empty if it is missing.
std::string ReadWholeFile(const std::string& path);

// Sends standard output to /dev/null: the programs print a message per run.
void SilenceStandardOutput();

}  // namespace fuzz

#define FUZZ_CHECK(condition)                                                      \
  do {                                                                             \
    if (!(condition)) {                                                            \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                \
    }                                                                              \
  } while (0)
