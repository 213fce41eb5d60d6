// How far one scale's transfer has got: the records or keys sent, or the
// records read. On a terminal the count is shown as one line that keeps
// itself up to date.
#pragma once

#include <chrono>
#include <string>

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

}  // namespace transfer
