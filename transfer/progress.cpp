#include "transfer/progress.h"

#include <cstdio>

namespace transfer {
namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(200);

}  // namespace

void Progress::Start(const char* what, long total) {
  what_ = what;
  total_ = total;
  done_ = 0;
  Changed();
}

void Progress::Advance() {
  ++done_;
  Changed();
}

ProgressLine::ProgressLine(common::MessageSink& messages, std::string scale)
    : messages_(messages), scale_(std::move(scale)) {}

ProgressLine::~ProgressLine() {
  if (drawn_length_ == 0) return;
  Draw();
  messages_.Err("\n");
  messages_.Flush();
}

void ProgressLine::Changed() {
  const Clock::time_point now = Clock::now();
  if (now - drawn_ < kRedrawEvery) return;
  drawn_ = now;
  Draw();
}

void ProgressLine::Draw() {
  const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
  char text[256];
  int n;
  if (total() >= 0) {
    n = std::snprintf(text, sizeof text, "\rxferlnk: %s: %ld of %ld %s, %.0f/s", scale_.c_str(), done(), total(),
                      what(), seconds > 0 ? static_cast<double>(done()) / seconds : 0.0);
  } else {
    n = std::snprintf(text, sizeof text, "\rxferlnk: %s: %ld %s, %.0f/s", scale_.c_str(), done(), what(),
                      seconds > 0 ? static_cast<double>(done()) / seconds : 0.0);
  }
  if (n < 0) return;
  std::string line(text, static_cast<std::size_t>(n) < sizeof text ? static_cast<std::size_t>(n) : sizeof text - 1);
  // Blanks over what a longer line before left.
  const std::size_t length = line.size();
  if (length < drawn_length_) line.append(drawn_length_ - length, ' ');
  drawn_length_ = length;
  messages_.Err(line);
  messages_.Flush();
}

// One scale's progress on the board.
class ProgressBoard::Slot final : public Progress {
 public:
  Slot(ProgressBoard& board, std::size_t index) : board_(board), index_(index) {}
  ~Slot() override { board_.Update(index_, done(), total(), true); }

 protected:
  void Changed() override { board_.Update(index_, done(), total(), false); }

 private:
  ProgressBoard& board_;
  std::size_t index_;
};

ProgressBoard::~ProgressBoard() {
  std::lock_guard<std::mutex> hold(lock_);
  if (drawn_length_ == 0) return;
  Draw();
  console_.Err("\n");
  console_.Flush();
}

std::unique_ptr<Progress> ProgressBoard::Add(const std::string& label) {
  std::lock_guard<std::mutex> hold(lock_);
  entries_.push_back({label});
  return std::make_unique<Slot>(*this, entries_.size() - 1);
}

void ProgressBoard::Update(std::size_t index, long done, long total, bool finished) {
  std::lock_guard<std::mutex> hold(lock_);
  Entry& entry = entries_[index];
  entry.done = done;
  entry.total = total;
  entry.finished = finished;
  const Clock::time_point now = Clock::now();
  if (!finished && now - drawn_ < kRedrawEvery) return;
  drawn_ = now;
  Draw();
}

void ProgressBoard::Write(common::Stream stream, std::string_view text) {
  // Called by the scales' line sinks, which hold the lock.
  Clear();
  console_.Write(stream, text);
  console_.Flush();
  if (!entries_.empty()) Draw();
}

void ProgressBoard::Draw() {
  std::string line = "\rxferlnk:";
  for (const Entry& entry : entries_) {
    line += " " + entry.label + " ";
    if (entry.finished) {
      line += "done";
    } else if (entry.total >= 0) {
      line += std::to_string(entry.done) + "/" + std::to_string(entry.total);
    } else {
      line += std::to_string(entry.done);
    }
    if (&entry != &entries_.back()) line += ",";
  }
  const std::size_t length = line.size();
  if (length < drawn_length_) line.append(drawn_length_ - length, ' ');
  drawn_length_ = length;
  console_.Err(line);
  console_.Flush();
}

void ProgressBoard::Clear() {
  if (drawn_length_ == 0) return;
  std::string blank(drawn_length_ + 2, ' ');
  blank.front() = '\r';
  blank.back() = '\r';
  console_.Err(blank);
  drawn_length_ = 0;
}

}  // namespace transfer
