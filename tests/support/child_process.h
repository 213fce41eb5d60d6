// The one way the tests and the benchmarks start a program: with arguments,
// a folder, extra environment entries and standard streams inherited,
// discarded or captured; then wait for it with a time limit, or end it.
// Linux and Windows alike, and free of GoogleTest, so that bench/ links it
// too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Milliseconds of a steady clock, and a pause: what the waits here count in.
long long NowMs();
void SleepMs(int ms);

// A limit that is none: Wait(kNoLimit) waits as long as it takes.
inline constexpr int kNoLimit = -1;

// What a standard stream of the started program is.
enum class StreamUse {
  kInherit,  // the caller's own
  kDiscard,  // the null device
  kCapture,  // a pipe read by Wait (standard output and error only)
};

struct ChildSetup {
  // The program's working folder; empty: the caller's.
  std::string directory;
  // "NAME=value" entries over the caller's environment; an entry replaces a
  // variable of the same name (on Windows in any letter case).
  std::vector<std::string> environment;
  StreamUse input = StreamUse::kInherit;  // kCapture counts as kDiscard
  StreamUse output = StreamUse::kInherit;
  StreamUse error = StreamUse::kInherit;
  // POSIX: the program leads a process group of its own, and Kill and
  // Terminate reach the whole group (what it started in turn too). Windows:
  // no effect.
  bool own_group = false;
};

// The caller's environment with the entries put over it, as ChildSetup
// describes: replaced variables keep no old entry, new ones come last.
std::vector<std::string> MergeEnvironment(const std::vector<std::string>& base,
                                          const std::vector<std::string>& entries, bool ignore_case);

// One started program at a time.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // Ends the program with Kill and waits for it, if it still runs.
  ~ChildProcess();

  // Starts program (a path, not looked up in PATH) with the arguments (not
  // counting the program itself), in place of one that ended before (what
  // is known of that one is gone then). False if it could not be started,
  // or if the program started before through this object still runs. On
  // POSIX a program that cannot be run, or a folder that cannot be entered,
  // shows as exit status 127 or 126.
  bool Start(const std::string& program, const std::vector<std::string>& arguments,
             const ChildSetup& setup = ChildSetup());

  // Waits up to limit_ms (kNoLimit: no limit) until the program has ended
  // and its captured streams are closed, taking in what it writes meanwhile.
  // True once that is so (and when nothing was started); false if the time
  // ran out first.
  bool Wait(int limit_ms = kNoLimit);
  // Waits up to limit_ms until the file exists; false if the time ran out
  // or the program ended first.
  bool WaitForReadyFile(const std::string& path, int limit_ms);

  // Ends it at once (SIGKILL; TerminateProcess). The captured streams are
  // closed: what came before stays in output() and error_output().
  void Kill();
  // Asks it to end (SIGTERM); on Windows the same as Kill.
  void Terminate();

  bool started() const { return started_; }
  bool ended() const { return ended_; }
  // The system's process id.
  long long id() const { return id_; }
  // Once ended: its exit status (0..255 on POSIX, the exit code on Windows),
  // or -1 if a signal ended it, and that signal (else 0).
  int exit_status() const { return exit_status_; }
  int signal() const { return signal_; }
  // Once ended: its peak resident memory in KiB (POSIX, from wait4's
  // rusage); 0 where the system does not tell.
  long peak_memory_kb() const { return peak_memory_kb_; }
  // What it wrote on captured streams so far.
  const std::string& output() const { return output_; }
  const std::string& error_output() const { return error_output_; }

 private:
  // Takes in what the captured streams hold, waiting up to limit_ms for
  // something to come (kNoLimit: as long as it takes); closes a stream at
  // its end. False if the time ran out with nothing come.
  bool ReadStreams(int limit_ms);
  bool StreamsOpen() const;
  void CloseStreams();
  // Back to the state before a start, once the program ended.
  void Forget();
  // Notes the end if it has come, waiting for it when block is set.
  bool Reap(bool block);
  void Signal(int number);

  bool started_ = false;
  bool ended_ = false;
  bool own_group_ = false;
  long long id_ = -1;
  int exit_status_ = -1;
  int signal_ = 0;
  long peak_memory_kb_ = 0;
  std::string output_;
  std::string error_output_;
  // The native handles: the process (Windows) and the read ends of the
  // captured streams (descriptors or handles); -1 none.
  std::intptr_t process_ = -1;
  std::intptr_t streams_[2] = {-1, -1};
};

}  // namespace testing_support
