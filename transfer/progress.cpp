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

}  // namespace transfer
