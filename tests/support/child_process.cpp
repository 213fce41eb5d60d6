// The parts of child_process.h that are the same on every platform; the
// system's side is in child_process_posix.cpp and child_process_win32.cpp.
#include "support/child_process.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <thread>

namespace testing_support {
namespace {

// The pause between two looks at a program or a file that is waited for.
constexpr int kWaitStepMs = 2;
// How long the end of its scope waits for a program it killed.
constexpr int kEndWaitMs = 10000;

// The name of a "NAME=value" entry (Windows keeps entries such as "=C:=C:\"
// whose name begins with '=').
std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=', 1)); }

bool SameName(const std::string& a, const std::string& b, bool ignore_case) {
  if (!ignore_case) return a == b;
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
  });
}

bool FileIsThere(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::vector<std::string> MergeEnvironment(const std::vector<std::string>& base,
                                          const std::vector<std::string>& entries, bool ignore_case) {
  std::vector<std::string> merged;
  for (const std::string& old_entry : base) {
    bool replaced = std::any_of(entries.begin(), entries.end(), [&](const std::string& entry) {
      return SameName(NameOf(entry), NameOf(old_entry), ignore_case);
    });
    if (!replaced) merged.push_back(old_entry);
  }
  merged.insert(merged.end(), entries.begin(), entries.end());
  return merged;
}

ChildProcess::~ChildProcess() {
  if (started_ && !ended_) {
    Kill();
    Wait(kEndWaitMs);
  }
  CloseStreams();
}

bool ChildProcess::Wait(int limit_ms) {
  if (!started_) return true;
  const long long deadline = NowMs() + limit_ms;
  // What is left of the limit: kNoLimit, or 0 once it has passed.
  auto left = [&] { return limit_ms < 0 ? kNoLimit : static_cast<int>(std::max(0LL, deadline - NowMs())); };
  // The streams close when the program ends, unless what it started keeps
  // them open: that is waited for too.
  while (StreamsOpen()) {
    bool came = ReadStreams(left());
    if (StreamsOpen() && (!came || left() == 0)) return false;
  }
  while (!Reap(limit_ms < 0)) {
    if (left() == 0) return false;
    SleepMs(kWaitStepMs);
  }
  return true;
}

bool ChildProcess::WaitForReadyFile(const std::string& path, int limit_ms) {
  for (const long long deadline = NowMs() + limit_ms;; SleepMs(kWaitStepMs)) {
    if (FileIsThere(path)) return true;
    if (Wait(0)) return FileIsThere(path);
    if (NowMs() >= deadline) return false;
  }
}

void ChildProcess::Forget() {
  CloseStreams();
  started_ = false;
  ended_ = false;
  own_group_ = false;
  id_ = -1;
  exit_status_ = -1;
  signal_ = 0;
  peak_memory_kb_ = 0;
  output_.clear();
  error_output_.clear();
}

bool ChildProcess::StreamsOpen() const { return streams_[0] != -1 || streams_[1] != -1; }

}  // namespace testing_support
