// The contract between the converter and the transfer program, in one place:
// the transfer program's name, the environment variables it reads, its exit
// codes, and its result files "error" and "retvals" with their one writer
// (the transfer program) and their one reader (the converter).
//
// "error" lists the failed scale arguments, "retvals" their result codes,
// both joined by ";" without a line end. When nothing failed, "error" holds
// "0" and there is no "retvals".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "platform/env.h"

namespace common {

// The transfer program's file name, without the system's program ending.
inline constexpr char kTransferProgramName[] = "xferlnk";

// The environment variables the transfer program reads (names in any letter
// case): the transfer mode and the run log the converter hands on, and the
// numbers below.
inline constexpr char kTransferModeVariable[] = "XFLTCPMODE";
inline constexpr char kLogVariable[] = "VELKOCON_LOG";

// A number the transfer program takes from a variable: its name, the
// values it accepts and the one it takes when the variable is not set.
struct TransferLimit {
  const char* name;
  long long low;
  long long high;
  long long fallback;
};
// Seconds a scale's reply is waited for.
inline constexpr TransferLimit kReplyWaitLimit{"XFLTIMEOUT", 1, 3600, 15};
// The most records one read takes, and the most bytes its incoming file
// holds, before it ends as failed: a scale that hands out ever new keys
// would otherwise fill the disk.
inline constexpr TransferLimit kMaxRecordsLimit{"XFLMAXRECORDS", 1, 100000000, 1000000};
inline constexpr TransferLimit kMaxBytesLimit{"XFLMAXBYTES", 1, 1LL << 40, 64LL << 20};
// The most seconds one read may take: a slow scale would otherwise hold the
// fetch, and the folder's lock, for days.
inline constexpr TransferLimit kMaxSecondsLimit{"XFLMAXSECONDS", 1, 604800, 7200};
// How many scales one run serves at once.
inline constexpr TransferLimit kParallelLimit{"XFLPARALLEL", 1, 64, 1};
inline constexpr const TransferLimit* kTransferLimits[] = {&kReplyWaitLimit, &kMaxRecordsLimit, &kMaxBytesLimit,
                                                           &kMaxSecondsLimit, &kParallelLimit};
// The most scales XFLPARALLEL lets one run serve at once.
constexpr int kMaxParallelScales = static_cast<int>(kParallelLimit.high);

// A variable's value that the transfer program cannot take.
enum class VariableFault { kOk = 0, kInvalid };
using VariableStatus = base::Status<VariableFault>;

// The number a limit's variable gives: its default when the variable is not
// set or empty, the value when it is a whole decimal number in the limit's
// range (digits only), a failure otherwise ("XFLTIMEOUT=abc is not a whole
// number from 1 to 3600").
VariableStatus LimitFromValue(const TransferLimit& limit, bool defined, const std::string& value, long long* number);
// The same, looked up in the environment.
VariableStatus ReadTransferLimit(const TransferLimit& limit, long long* number);
// The first of the limits' variables that the transfer program cannot take.
VariableStatus CheckTransferLimits();

// The transfer program's exit codes.
constexpr int kTransferExitDone = 0;        // every scale done
constexpr int kTransferExitSomeFailed = 1;  // the list was worked through; a scale failed
constexpr int kTransferExitFailed = -1;     // command line, result files or socket library

inline constexpr char kErrorFileName[] = "error";
inline constexpr char kRetvalsFileName[] = "retvals";

// The outcome of one scale's transfer: the transfer program's code type. In
// "retvals" each failure stands as its number (ResultNumber).
enum class TransferResult {
  kOk = 0,
  // A record or key file cannot be opened or is not well formed; an incoming
  // file cannot be created.
  kFileUnusable,
  // Paired read: the reply to a key packet is missing. Reads: the incoming
  // file did not take a reply.
  kKeyReplyOrWriteFailed,
  // No connection (the scale argument unusable, the host unknown, connection
  // refused or not answered within 3 s).
  kNoConnection,
  // A reply is missing, or a read does not end as a read must.
  kNoReply,
  // A request could not be sent: the scale did not take it in time.
  kSendFailed,
  // Record load: the receive of a reply failed or timed out.
  kReceiveFailed,
  // The scale refused records, keys or the file packet (it answered with
  // the single byte 15), or a paired read's key packet.
  kRefused,
  // A read went past its limit of records, bytes or time.
  kReadTooLong,
};
using TransferStatus = base::Status<TransferResult>;

// The number "retvals" holds for a result: -1, -3, -5, -6, -7, -8, -9, -10.
int ResultNumber(TransferResult result);

// The result number in words ("no connection to the scale"); a number
// without a meaning gives "unknown result".
const char* ResultNumberText(int number);

// The writer, the transfer program's: creates both files at the start of a
// run and records each failed scale as it fails.
class ResultFilesWriter {
 public:
  explicit ResultFilesWriter(platform::Env& env) : env_(env) {}
  // Creates (or empties) "error" and then "retvals" in the folder (empty:
  // the current one). A failure if either cannot be created.
  platform::SystemStatus Create(const std::string& folder = std::string());
  void Record(const std::string& scale_argument, TransferResult result);
  // Closes both; writes "0" and deletes "retvals" if nothing failed. A
  // failure if either did not take all of its text.
  platform::SystemStatus Finish();

 private:
  platform::Env& env_;
  std::string retvals_name_;
  std::unique_ptr<platform::OutputFile> error_;
  std::unique_ptr<platform::OutputFile> retvals_;
  platform::SystemStatus written_;
  bool any_failed_ = false;
};

// What the reader finds in the result files of a folder.
struct RecordedResults {
  bool error_read = false;  // "error" could be read
  bool none_failed = false; // ... and it holds "0", blanks and line ends around it aside
  bool code_read = false;   // "retvals" holds a result number
  int first_number = 0;     // the first failed scale's result number
  // The failed scale arguments "error" lists, and the result numbers
  // "retvals" gives them, in the same order (0 where it gives none).
  std::vector<std::string> failed;
  std::vector<int> numbers;

  // The result number recorded for the scale argument; false if it is not
  // among the failed ones.
  bool NumberOf(const std::string& scale, int* number) const;
};
RecordedResults ReadResultFiles(platform::Env& env, const std::string& folder);

}  // namespace common
