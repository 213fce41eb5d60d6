#include "common/transfer_contract.h"

#include "base/decimal_text.h"
#include "base/text_parts.h"
#include "platform/environment.h"

namespace common {
namespace {

constexpr char kSeparator = ';';
const char kNoFailure[] = "0";
// The most of a result file that is read: its scale arguments, each with a
// separator, for the most scales a run takes.
constexpr std::size_t kMaxResultText = 1 << 16;

struct ResultRow {
  TransferResult result;
  int number;
  const char* text;
};

const ResultRow kResults[] = {
    {TransferResult::kFileUnusable, -1,
     "the file to send cannot be opened or is not well formed, or the file to fill cannot be created"},
    {TransferResult::kKeyReplyOrWriteFailed, -3, "a key packet got no reply, or the incoming file did not take a reply"},
    {TransferResult::kNoConnection, -5, "no connection to the scale"},
    {TransferResult::kNoReply, -6, "a reply is missing, or the scale's records did not end as they must"},
    {TransferResult::kSendFailed, -7, "a request could not be sent"},
    {TransferResult::kReceiveFailed, -8, "receiving a reply failed or timed out"},
    {TransferResult::kRefused, -9, "the scale refused what it was sent"},
    {TransferResult::kReadTooLong, -10, "a read went past its limit of records, bytes or time"},
};

std::string NameIn(const std::string& folder, const char* name) {
  return folder.empty() ? std::string(name) : platform::JoinPath(folder, name);
}

// The start of a result file's text; false if it cannot be read.
bool ReadStart(platform::Env& env, const std::string& path, std::string* text) {
  text->clear();
  std::unique_ptr<platform::InputFile> file;
  if (!env.OpenForReading(path, &file).ok()) return false;
  char buffer[kMaxResultText];
  std::size_t count = 0;
  while (text->size() < kMaxResultText) {
    if (!file->Read(buffer, kMaxResultText - text->size(), &count).ok()) return false;
    if (count == 0) break;
    text->append(buffer, count);
  }
  return true;
}

// The text without the blanks and line ends around it (a script's
// "echo 0 > error" writes a line end after the 0).
std::string Trimmed(const std::string& text) {
  const char* const kAround = " \t\r\n";
  const std::string::size_type begin = text.find_first_not_of(kAround);
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(kAround) - begin + 1);
}

}  // namespace

VariableStatus LimitFromValue(const TransferLimit& limit, bool defined, const std::string& value, long long* number) {
  *number = limit.fallback;
  if (!defined || value.empty()) return VariableStatus::Ok();
  if (base::ParseDecimal(value, limit.low, limit.high, number)) return VariableStatus::Ok();
  *number = limit.fallback;
  return VariableStatus::Error(VariableFault::kInvalid, std::string(limit.name) + "=" + value +
                                                            " is not a whole number from " + std::to_string(limit.low) +
                                                            " to " + std::to_string(limit.high));
}

VariableStatus ReadTransferLimit(const TransferLimit& limit, long long* number) {
  std::string value;
  const bool defined = platform::FindEnvironmentVariable(limit.name, &value);
  return LimitFromValue(limit, defined, value, number);
}

VariableStatus CheckTransferLimits() {
  for (const TransferLimit* limit : kTransferLimits) {
    long long number = 0;
    if (VariableStatus status = ReadTransferLimit(*limit, &number); !status.ok()) return status;
  }
  return VariableStatus::Ok();
}

int ResultNumber(TransferResult result) {
  for (const ResultRow& row : kResults) {
    if (row.result == result) return row.number;
  }
  return 0;
}

const char* ResultNumberText(int number) {
  for (const ResultRow& row : kResults) {
    if (row.number == number) return row.text;
  }
  return "unknown result";
}

platform::SystemStatus ResultFilesWriter::Create(const std::string& folder) {
  retvals_name_ = NameIn(folder, kRetvalsFileName);
  if (auto status = env_.CreateForWriting(NameIn(folder, kErrorFileName), &error_); !status.ok()) return status;
  return env_.CreateForWriting(retvals_name_, &retvals_);
}

void ResultFilesWriter::Record(const std::string& scale_argument, TransferResult result) {
  std::string error_text, retvals_text;
  if (any_failed_) error_text = retvals_text = kSeparator;
  error_text += scale_argument;
  retvals_text += std::to_string(ResultNumber(result));
  any_failed_ = true;
  platform::SystemStatus status = error_->Write(error_text.data(), error_text.size());
  if (status.ok()) status = retvals_->Write(retvals_text.data(), retvals_text.size());
  if (written_.ok()) written_ = status;
}

platform::SystemStatus ResultFilesWriter::Finish() {
  platform::SystemStatus status = written_;
  if (platform::SystemStatus closed = retvals_->Close(); status.ok()) status = closed;
  if (!any_failed_) {
    if (platform::SystemStatus wrote = error_->Write(kNoFailure, 1); status.ok()) status = wrote;
    (void)env_.Remove(retvals_name_);
  }
  if (platform::SystemStatus closed = error_->Close(); status.ok()) status = closed;
  return status;
}

bool RecordedResults::NumberOf(const std::string& scale, int* number) const {
  for (std::size_t i = 0; i < failed.size(); ++i) {
    if (failed[i] != scale) continue;
    *number = i < numbers.size() ? numbers[i] : 0;
    return true;
  }
  return false;
}

RecordedResults ReadResultFiles(platform::Env& env, const std::string& folder) {
  RecordedResults results;
  std::string text;
  results.error_read = ReadStart(env, NameIn(folder, kErrorFileName), &text);
  results.none_failed = results.error_read && Trimmed(text) == kNoFailure;
  if (results.error_read && !results.none_failed) results.failed = base::SplitText(Trimmed(text), kSeparator);
  if (ReadStart(env, NameIn(folder, kRetvalsFileName), &text) && !text.empty()) {
    results.code_read = true;
    for (const std::string& part : base::SplitText(text, kSeparator)) results.numbers.push_back(base::LeadingDecimalValue(part));
    results.first_number = results.numbers.front();
  }
  return results;
}

}  // namespace common
