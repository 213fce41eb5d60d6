// The test kit, the part for POSIX tests that run the built programs:
// running a program with its output captured and a time limit, name
// resolution through nss_wrapper; and with them the scale
// emulator (scale_sim.h, which the Windows tests have too).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/scale_sim.h"
#include "support/test_support.h"

namespace testing_support {

struct ProgramResult {
  int status = -1;         // exit status 0..255, or -1 if killed by a signal
  bool timed_out = false;  // killed at the time limit
  std::string out;         // everything written on standard output
  std::string err;         // everything written on standard error
};

// Runs program with the arguments in directory, the environment of the test
// plus extra_env ("NAME=value" entries replace variables of that name), no
// standard input, and kills it, with everything it started, after
// timeout_ms. With SCALELINK_RUNNER set a Windows program runs through it
// (wine), its CR LF line ends read as LF.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& directory, const std::vector<std::string>& extra_env = {},
                         int timeout_ms = 30000);

// Writes a hosts file for nss_wrapper and gives the environment entries that
// make a program resolve names through it.
std::vector<std::string> HostsEnvironment(const std::string& hosts_file,
                                          const std::vector<std::pair<std::string, std::string>>& names);

}  // namespace testing_support
