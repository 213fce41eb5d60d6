#include "converter/plu_verification.h"

#include <algorithm>
#include <cstdio>

#include "common/hex_text.h"
#include "converter/plu_record_fields.h"

namespace converter {
namespace {

constexpr std::size_t kKeyChars = 8;
constexpr std::size_t kHeaderChars = 12;  // key and length field
constexpr std::size_t kLengthAt = 8;
constexpr std::size_t kMinRecordBytes = 6;
constexpr std::uint8_t kFirstEndByte = 0xE0;
constexpr std::uint8_t kLastEndByte = 0xE2;

std::uint32_t KeyOf(std::string_view text, std::size_t at) {
  std::uint32_t key = 0;
  for (std::size_t i = 0; i < kKeyChars; ++i) {
    key = key << 4 | static_cast<std::uint32_t>(common::HexDigitValue(text[at + i]));
  }
  return key;
}

// The characters of the record that starts at `at`: 0 if none fits there.
std::size_t RecordChars(std::string_view text, std::size_t at) {
  if (text.size() - at < kHeaderChars) return 0;
  const std::size_t bytes = static_cast<std::size_t>(common::HexByte(text[at + kLengthAt], text[at + kLengthAt + 1])) << 8 |
                            common::HexByte(text[at + kLengthAt + 2], text[at + kLengthAt + 3]);
  if (bytes < kMinRecordBytes || text.size() - at < 2 * bytes) return 0;
  return 2 * bytes;
}

bool IsEndReplyAt(std::string_view text, std::size_t at) {
  if (text.size() - at < 2) return false;
  const std::uint8_t first = common::HexByte(text[at], text[at + 1]);
  return first >= kFirstEndByte && first <= kLastEndByte;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "; PLU 5 missing" or "; PLU 23 differs in price, name".
std::string ProblemText(const PluProblem& problem) {
  const std::string plu = "; PLU " + PluNumberText(problem.key);
  return problem.fields.empty() ? plu + " missing" : plu + " differs in " + problem.fields;
}

}  // namespace

bool SentPlus::Take(std::string text) {
  text_ = std::move(text);
  records_.clear();
  const std::string_view view(text_);
  for (std::size_t at = 0; at < view.size();) {
    const std::size_t chars = RecordChars(view, at);
    if (chars == 0) return false;
    records_.push_back(Record{KeyOf(view, at), at, chars});
    at += chars;
  }
  std::stable_sort(records_.begin(), records_.end(), [](const Record& a, const Record& b) { return a.key < b.key; });
  // Of equal keys the last one written stays.
  std::vector<Record> kept;
  kept.reserve(records_.size());
  for (const Record& record : records_) {
    if (!kept.empty() && kept.back().key == record.key) kept.pop_back();
    kept.push_back(record);
  }
  records_.swap(kept);
  return true;
}

std::size_t SentPlus::Find(std::uint32_t key) const {
  auto found = std::lower_bound(records_.begin(), records_.end(), key,
                                [](const Record& record, std::uint32_t value) { return record.key < value; });
  if (found == records_.end() || found->key != key) return records_.size();
  return static_cast<std::size_t>(found - records_.begin());
}

bool RejectedLineKey(std::string_view line, char separator, std::uint32_t* key) {
  std::string_view column = TrimBlanks(line.substr(0, line.find(separator)));
  if (column.size() >= 2 && column.front() == '"' && column.back() == '"') {
    column = TrimBlanks(column.substr(1, column.size() - 2));
  }
  if (column.empty() || column.size() > kKeyChars) return false;
  std::uint32_t value = 0;
  for (char c : column) {
    if (c < '0' || c > '9') return false;
    value = value << 4 | static_cast<std::uint32_t>(c - '0');
  }
  *key = value;
  return true;
}

bool CompareReadBack(const SentPlus& sent, const std::vector<std::uint32_t>& named_keys, std::string_view read_back,
                     Verification* verification) {
  *verification = Verification();
  verification->sent = sent.size();
  std::vector<bool> held(sent.size(), false);
  // Each problem: its key and, for a record held otherwise, where it is.
  struct Found {
    std::uint32_t key;
    std::size_t sent_index;
    std::size_t at;
    std::size_t chars;  // 0: missing
  };
  std::vector<Found> problems;
  bool ended = false;
  for (std::size_t at = 0; at < read_back.size() && !ended;) {
    if (IsEndReplyAt(read_back, at)) {
      ended = true;
      break;
    }
    const std::size_t chars = RecordChars(read_back, at);
    if (chars == 0) return false;
    const std::uint32_t key = KeyOf(read_back, at);
    const std::size_t index = sent.Find(key);
    if (index == sent.size()) {
      if (!std::binary_search(named_keys.begin(), named_keys.end(), key)) verification->others.push_back(key);
    } else if (!held[index]) {
      held[index] = true;
      if (sent.RecordAt(index) == read_back.substr(at, chars)) {
        ++verification->as_sent;
      } else {
        problems.push_back(Found{key, index, at, chars});
      }
    }
    at += chars;
  }
  if (!ended) return false;
  for (std::size_t i = 0; i < held.size(); ++i) {
    if (!held[i]) problems.push_back(Found{sent.KeyAt(i), i, 0, 0});
  }
  std::sort(problems.begin(), problems.end(), [](const Found& a, const Found& b) { return a.key < b.key; });
  std::sort(verification->others.begin(), verification->others.end());
  verification->problems = problems.size();
  for (std::size_t i = 0; i < problems.size() && i < kShownPlus; ++i) {
    const Found& found = problems[i];
    PluProblem problem;
    problem.key = found.key;
    if (found.chars > 0) {
      problem.fields = DifferingPluFields(sent.RecordAt(found.sent_index), read_back.substr(found.at, found.chars));
    }
    verification->shown.push_back(problem);
  }
  return true;
}

std::string VerificationText(const Verification& verification, bool name_others) {
  std::string text = std::to_string(verification.as_sent) + " of " + std::to_string(verification.sent) +
                     " PLUs as sent";
  for (const PluProblem& problem : verification.shown) text += ProblemText(problem);
  if (verification.problems > verification.shown.size()) {
    text += "; and " + std::to_string(verification.problems - verification.shown.size()) +
            " more missing or different";
  }
  const std::size_t others = verification.others.size();
  if (name_others && others > 0) {
    text += "; " + std::to_string(others) + (others == 1 ? " PLU" : " PLUs") + " the price list does not name: ";
    for (std::size_t i = 0; i < others && i < kShownPlus; ++i) {
      if (i > 0) text += ", ";
      text += PluNumberText(verification.others[i]);
    }
    if (others > kShownPlus) text += " and " + std::to_string(others - kShownPlus) + " more";
  }
  return text;
}

std::string PluNumberText(std::uint32_t key) {
  char text[kKeyChars + 1];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(key));
  return text;
}

}  // namespace converter
