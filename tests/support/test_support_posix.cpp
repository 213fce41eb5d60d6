// The test kit's POSIX part; see test_support_posix.h.
#include "support/test_support_posix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace testing_support {
namespace {

bool IsWindowsProgram(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char head[2] = {0, 0};
  bool windows = std::fread(head, 1, 2, f) == 2 && head[0] == 'M' && head[1] == 'Z';
  std::fclose(f);
  return windows;
}

std::string WithoutCarriageReturns(const std::string& text) {
  std::string kept;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    kept += text[i];
  }
  return kept;
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& directory, const std::vector<std::string>& extra_env,
                         int timeout_ms) {
  // The Windows programs under test run through SCALELINK_RUNNER (wine).
  const char* runner = std::getenv("SCALELINK_RUNNER");
  const bool windows = runner != nullptr && *runner != '\0' && IsWindowsProgram(program);
  std::vector<std::string> args = arguments;
  if (windows) args.insert(args.begin(), program);

  ChildSetup setup;
  setup.directory = directory;
  setup.environment = extra_env;
  setup.input = StreamUse::kDiscard;
  setup.output = StreamUse::kCapture;
  setup.error = StreamUse::kCapture;
  setup.own_group = true;  // so that a time-out ends what it started too
  ChildProcess child;
  ProgramResult result;
  if (!child.Start(windows ? runner : program, args, setup)) return result;
  if (!child.Wait(timeout_ms)) {
    result.timed_out = true;
    child.Kill();
    child.Wait();
  }
  if (!result.timed_out) result.status = child.exit_status();
  // A Windows program's text-mode streams end lines with CR LF.
  result.out = windows ? WithoutCarriageReturns(child.output()) : child.output();
  result.err = windows ? WithoutCarriageReturns(child.error_output()) : child.error_output();
  return result;
}

std::vector<std::string> HostsEnvironment(const std::string& hosts_file,
                                          const std::vector<std::pair<std::string, std::string>>& names) {
  std::string text;
  for (const auto& entry : names) text += entry.second + " " + entry.first + "\n";
  WriteFile(hosts_file, text);
  return {"LD_PRELOAD=libnss_wrapper.so", "NSS_WRAPPER_HOSTS=" + hosts_file};
}

}  // namespace testing_support
