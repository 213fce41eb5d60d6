#include "transfer/driver.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/ascii_case.h"
#include "common/message_sink.h"
#include "common/program_info.h"
#include "common/run_log.h"
#include "common/transfer_contract.h"
#include "platform/environment.h"
#include "platform/sockets.h"
#include "platform/terminal.h"
#include "transfer/connection.h"
#include "transfer/progress.h"
#include "transfer/run_settings.h"
#include "transfer/scale_transfer.h"
#include "transfer/transfer_files.h"

namespace transfer {
namespace {

constexpr int kFirstScaleArgument = 2;

const char kHelp[] =
    "Sends a scale file to scales, or fetches one from them, over TCP.\n"
    "\n"
    "Usage: xferlnk FILE SCALE [SCALE ...]\n"
    "  FILE   F and two hex digits (and .DAT): F25.DAT the PLU file, F30.DAT the transactions...;\n"
    "         F85.DAT reads the PLU file back as it is, F95.DAT deletes PLUs by key\n"
    "  SCALE  a scale number such as 001: the host S0001 on port 2001;\n"
    "         with XFLTCPMODE=DHCP a host name or address (port 2000 + its last number)\n"
    "XFLTIMEOUT: seconds to wait for a reply (1 to 3600, default 15);\n"
    "XFLMAXRECORDS: the most records one read takes (1 to 100000000, default 1000000);\n"
    "XFLMAXBYTES: the most bytes one read writes (1 to 1099511627776, default 67108864);\n"
    "XFLMAXSECONDS: the most seconds one read takes (1 to 604800, default 7200);\n"
    "XFLPARALLEL: how many scales are served at once (1 to 64, default 1).\n"
    "The files are read from and written to the working folder; the failed scales are listed in\n"
    "the files error and retvals.\n"
    "Exit codes: 0 every scale done, 1 a scale failed, 255 command line or result files.\n";

// The log the converter that started this run keeps; none when run alone.
common::RunLog LogNamedByTheConverter(platform::Env& env) {
  std::string path;
  if (!platform::FindEnvironmentVariable(common::kLogVariable, &path)) return common::RunLog();
  return common::RunLog(env, path);
}

std::string LogLine(const std::string& scale_argument, const std::string& file_argument, const ScaleOutcome& outcome,
                    double seconds) {
  std::string line = "xferlnk scale=" + scale_argument + " at=" + outcome.place + " file=" + file_argument +
                     " records=" + std::to_string(outcome.records) + " seconds=" + common::SecondsText(seconds);
  if (outcome.status.ok()) return line + " result=ok";
  return line + " result=" + std::to_string(common::ResultNumber(outcome.status.code())) + " " +
         outcome.status.message();
}

// A scale that the command line names twice, in words, or empty: two
// arguments name one scale when their files are one ("001" and "1"; the
// system's names ignore letter case). The second would replace what the
// first fetched, or load it again.
std::string ScaleNamedTwice(int argc, char** argv, common::TransferMode mode) {
  for (int i = kFirstScaleArgument; i < argc; ++i) {
    const std::string first = common::MakeTransferNames(argv[i], argv[1], mode).outgoing;
    for (int j = kFirstScaleArgument; j < i; ++j) {
      if (base::EqualsIgnoringCase(first, common::MakeTransferNames(argv[j], argv[1], mode).outgoing)) {
        return std::string("the scale ") + argv[j] + " is named twice (" + argv[j] + " and " + argv[i] + ")";
      }
    }
  }
  return std::string();
}

// The scales of a run and what became of each, shared by the workers that
// serve them: each takes the next scale not yet taken.
class ScaleList {
 public:
  ScaleList(int argc, char** argv) : arguments_(argv + kFirstScaleArgument, argv + argc), outcomes_(arguments_.size()) {}

  std::size_t size() const { return arguments_.size(); }
  const std::string& argument(std::size_t i) const { return arguments_[i]; }
  const ScaleOutcome& outcome(std::size_t i) const { return outcomes_[i]; }

  // The index of the next scale to serve; size() when there is none.
  std::size_t Take() { return std::min(next_.fetch_add(1), arguments_.size()); }
  void Set(std::size_t i, ScaleOutcome outcome) { outcomes_[i] = std::move(outcome); }

 private:
  std::vector<std::string> arguments_;
  std::vector<ScaleOutcome> outcomes_;  // each written by the one worker that took it
  std::atomic<std::size_t> next_{0};
};

// What the workers share.
struct Run {
  const RunSettings& settings;
  platform::Env& env;
  const std::string& file_argument;
  const common::RunLog& log;
  std::mutex& log_lock;
  ScaleList& scales;
};

// Serves scales until none is left, through its own connection table (which
// keeps a connection left open until the run ends) and message sink.
void Serve(Run& run, ConnectionTable& connections, common::MessageSink& messages, bool progress_line,
           ProgressBoard* board) {
  const ScaleTransferSetup setup{run.env, connections, run.settings, messages, progress_line, board};
  for (std::size_t i = run.scales.Take(); i < run.scales.size(); i = run.scales.Take()) {
    const std::string& argument = run.scales.argument(i);
    const double started = run.env.SteadySeconds();
    ScaleOutcome outcome = TransferToScale(setup, argument, run.file_argument);
    const double seconds = run.env.SteadySeconds() - started;
    {
      std::lock_guard<std::mutex> hold(run.log_lock);
      (void)run.log.Write(LogLine(argument, run.file_argument, outcome, seconds));
    }
    if (!outcome.status.ok()) messages.Err("xferlnk: " + outcome.scale + ": " + outcome.status.message() + "\n");
    messages.Flush();
    run.scales.Set(i, std::move(outcome));
  }
}

// Serves the scales, one after another or several at once, and records the
// failed ones in argument order.
int ServeScales(int argc, char** argv, const RunSettings& settings, platform::Env& env, bool terminal,
                common::MessageSink& messages) {
  common::ResultFilesWriter results(env);
  if (!results.Create().ok()) {
    messages.Out("Could not create result files\n");
    return kExitFailed;
  }
  const std::string file_argument = argv[1];
  const common::RunLog log = LogNamedByTheConverter(env);
  std::mutex log_lock;
  ScaleList scales(argc, argv);
  Run run{settings, env, file_argument, log, log_lock, scales};
  const std::size_t workers = std::min(static_cast<std::size_t>(settings.parallel), scales.size());
  // The tables live until the run ends: a connection left open stays open.
  std::vector<std::unique_ptr<ConnectionTable>> tables;
  for (std::size_t w = 0; w < workers; ++w) {
    tables.push_back(std::make_unique<ConnectionTable>(settings.mode, settings.reply_wait_ms));
  }
  if (workers <= 1) {
    Serve(run, *tables[0], messages, terminal, nullptr);
  } else {
    std::mutex console_lock;
    std::unique_ptr<ProgressBoard> board;
    if (terminal) board = std::make_unique<ProgressBoard>(messages, console_lock);
    common::MessageSink& target = board != nullptr ? static_cast<common::MessageSink&>(*board) : messages;
    std::vector<std::thread> threads;
    for (std::size_t w = 0; w < workers; ++w) {
      threads.emplace_back([&run, &tables, &target, &console_lock, &board, w] {
        common::LineSink sink(target, console_lock);
        Serve(run, *tables[w], sink, false, board.get());
      });
    }
    for (std::thread& thread : threads) thread.join();
  }

  bool any_failed = false;
  for (std::size_t i = 0; i < scales.size(); ++i) {
    const ScaleOutcome& outcome = scales.outcome(i);
    if (outcome.status.ok()) continue;
    any_failed = true;
    results.Record(scales.argument(i), outcome.status.code());
  }
  if (!results.Finish().ok()) {
    messages.Out("Could not write result files\n");
    return kExitFailed;
  }
  return any_failed ? kExitSomeFailed : kExitDone;
}

}  // namespace

int RunTransferProgram(int argc, char** argv, platform::Env& env, common::MessageSink& messages) {
  if (common::AnswerInfoRequest(argc, argv, "xferlnk", kHelp, messages)) return kExitDone;
  RunSettings settings;
  if (common::VariableStatus read = ReadRunSettings(&settings); !read.ok()) {
    messages.Err("xferlnk: " + read.message() + "\n");
    return kExitFailed;
  }
  if (argc <= kFirstScaleArgument || std::strlen(argv[1]) < kMinFileArgumentLength) {
    messages.Out(settings.mode == common::TransferMode::kDhcp ? "Please enter the filename and host name(s)"
                                                              : "Please enter filename and port number(s)");
    return kExitFailed;
  }
  if (const std::string twice = ScaleNamedTwice(argc, argv, settings.mode); !twice.empty()) {
    messages.Err("xferlnk: " + twice + "\n");
    return kExitFailed;
  }
  if (!platform::StartSockets()) {
    platform::StopSockets();
    return kExitFailed;
  }
  int exit_code = ServeScales(argc, argv, settings, env, platform::StandardErrorIsTerminal(), messages);
  platform::StopSockets();
  return exit_code;
}

}  // namespace transfer
