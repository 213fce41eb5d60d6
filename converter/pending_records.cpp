#include "converter/pending_records.h"

#include <memory>

#include "base/text_parts.h"
#include "converter/report_conversion.h"

namespace converter {
namespace {

const char kEnding[] = ".pending";
// The most a pending file holds: the records of a few fetches at their
// largest.
constexpr std::size_t kMaxPendingBytes = std::size_t{1} << 30;
// A record's key: its first 4 bytes, 8 characters of hex text.
constexpr std::size_t kKeyCharacters = 8;

}  // namespace

std::string IdentityText(const platform::FileIdentity& identity) {
  return std::to_string(identity.size) + " " + std::to_string(identity.modified_ns);
}

PendingRecords::PendingRecords(platform::Env& env, std::string incoming_path, ReportLayout layout)
    : env_(env), path_(std::move(incoming_path) + kEnding), layout_(layout) {}

platform::SystemStatus PendingRecords::Load() {
  cleared_.clear();
  unsure_.clear();
  reported_.clear();
  taken_.clear();
  if (!platform::IsFile(env_, path_)) return platform::SystemStatus::Ok();
  std::string text;
  if (platform::SystemStatus read = platform::ReadWholeFile(env_, path_, kMaxPendingBytes, &text); !read.ok()) {
    return read;
  }
  for (const std::string& line : base::SplitText(text, '\n')) {
    if (line.size() < 2 || line[1] != ' ') continue;
    const std::string rest = line.substr(2);
    if (line[0] == 'C') cleared_ += rest;
    if (line[0] == 'U') unsure_.push_back(rest);
    if (line[0] == 'R') reported_ = rest;
    if (line[0] == 'T') taken_ = rest;
  }
  return platform::SystemStatus::Ok();
}

platform::SystemStatus PendingRecords::Save() {
  if (cleared_.empty() && unsure_.empty() && reported_.empty() && taken_.empty()) {
    if (platform::IsFile(env_, path_)) return env_.Remove(path_);
    return platform::SystemStatus::Ok();
  }
  std::string text;
  RecordsEnd end;
  for (std::string_view record : SplitRecords(cleared_, layout_, &end)) text += "C " + std::string(record) + "\n";
  for (const std::string& record : unsure_) text += "U " + record + "\n";
  if (!reported_.empty()) text += "R " + reported_ + "\n";
  if (!taken_.empty()) text += "T " + taken_ + "\n";
  // Written beside it and renamed over it, so that a power cut leaves the
  // old file or the new one.
  const std::string fresh = path_ + ".new";
  std::unique_ptr<platform::OutputFile> file;
  if (platform::SystemStatus created = env_.CreateForWriting(fresh, &file); !created.ok()) return created;
  platform::SystemStatus written = file->Write(text.data(), text.size());
  if (written.ok()) written = file->Sync();
  if (platform::SystemStatus closed = file->Close(); written.ok()) written = closed;
  if (written.ok()) written = env_.Rename(fresh, path_);
  if (!written.ok()) (void)env_.Remove(fresh);
  return written;
}

bool PendingRecords::Reported(const platform::FileIdentity& incoming) const {
  return !reported_.empty() && incoming.exists && reported_ == IdentityText(incoming);
}

bool PendingRecords::Taken(const platform::FileIdentity& incoming) const {
  return !taken_.empty() && incoming.exists && taken_ == IdentityText(incoming);
}

void PendingRecords::TakeLeftover(const platform::FileIdentity& incoming, std::string_view text) {
  RecordsEnd end;
  std::vector<std::string_view> records = SplitRecords(text, layout_, &end);
  if (end == RecordsEnd::kIncomplete && !records.empty() && settles_by_key()) {
    unsure_.emplace_back(records.back());
    records.pop_back();
  }
  for (std::string_view record : records) cleared_ += record;
  reported_.clear();
  // Should the file stay where it is (it cannot be moved into the archive,
  // the run ends), the next run must not take its records in again.
  taken_ = IdentityText(incoming);
}

void PendingRecords::Settle(std::string_view fetched) {
  RecordsEnd end;
  const std::vector<std::string_view> records = SplitRecords(fetched, layout_, &end);
  std::vector<std::string> still_unsure;
  for (const std::string& unsure : unsure_) {
    const std::string_view key = std::string_view(unsure).substr(0, kKeyCharacters);
    bool again = false;
    bool passed = end == RecordsEnd::kEndReply;
    for (std::string_view record : records) {
      const std::string_view record_key = record.substr(0, kKeyCharacters);
      if (record_key == key && record == unsure) again = true;
      // Keys are handed out in rising order, and hex text of one width
      // compares as the numbers do.
      if (record_key > key) passed = true;
    }
    if (again) continue;  // not cleared then: the new fetch has it
    if (passed) {
      cleared_ += unsure;
    } else {
      still_unsure.push_back(unsure);
    }
  }
  unsure_ = std::move(still_unsure);
}

void PendingRecords::ReportWritten(const platform::FileIdentity& incoming, const std::string& held_back) {
  cleared_.clear();
  taken_.clear();
  reported_ = incoming.exists ? IdentityText(incoming) : std::string();
  if (!held_back.empty()) unsure_.push_back(held_back);
}

}  // namespace converter
