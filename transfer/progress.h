// How far one scale's transfer has got: the records or keys sent, or the
// records read. On a terminal the count is shown as one line that keeps
// itself up to date: a scale's own line when the scales are served one after
// another, one line for all of them when several are served at once.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/message_sink.h"

namespace transfer {

class Progress {
 public:
  virtual ~Progress() = default;
  // The transfer begins; total is the number of records or keys it will
  // send (-1 when not known, as for a read).
  void Start(const char* what, long total);
  // One more record or key sent or read.
  void Advance();
  long done() const { return done_; }
  long total() const { return total_; }
  const char* what() const { return what_; }

 protected:
  virtual void Changed() {}

 private:
  const char* what_ = "records";
  long done_ = 0;
  long total_ = -1;
};

// A Progress that draws itself on the error stream: "xferlnk: scale 001
// (S0001:2001): 120 of 300 records, 85/s", redrawn at most a few
// times a second and finished with a line end.
class ProgressLine final : public Progress {
 public:
  ProgressLine(common::MessageSink& messages, std::string scale);
  ~ProgressLine() override;

 protected:
  void Changed() override;

 private:
  using Clock = std::chrono::steady_clock;
  void Draw();

  common::MessageSink& messages_;
  std::string scale_;
  Clock::time_point started_ = Clock::now();
  Clock::time_point drawn_{};
  std::size_t drawn_length_ = 0;
};

// The line of several scales served at once, on the error stream: "xferlnk:
// 001 120/300, 002 80/300, 003 done", redrawn at most a few times a second.
// It stands between the scales' messages and the console: a message line
// clears it first, and it is drawn again after. All of it under the lock the
// scales' line sinks share.
class ProgressBoard final : public common::MessageSink {
 public:
  ProgressBoard(common::MessageSink& console, std::mutex& lock) : console_(console), lock_(lock) {}
  ~ProgressBoard() override;

  // The progress of one more scale, shown as label on the line.
  std::unique_ptr<Progress> Add(const std::string& label);

  void Write(common::Stream stream, std::string_view text) override;
  void Flush() override { console_.Flush(); }

 private:
  class Slot;
  using Clock = std::chrono::steady_clock;
  struct Entry {
    std::string label;
    long done = 0;
    long total = -1;
    bool finished = false;
  };

  // From a slot: its counts changed, or it finished.
  void Update(std::size_t index, long done, long total, bool finished);
  void Draw();  // with the lock held
  void Clear();

  common::MessageSink& console_;
  std::mutex& lock_;
  std::vector<Entry> entries_;
  Clock::time_point drawn_{};
  std::size_t drawn_length_ = 0;
};

}  // namespace transfer
