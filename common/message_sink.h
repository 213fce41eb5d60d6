// Where a program's console messages go. Each program's driver owns one sink
// and hands it down; nothing else writes to the standard streams, so the
// order of the messages on the two streams is the order in which they were
// written.
#pragma once

#include <cstdarg>
#include <mutex>
#include <string>
#include <string_view>

namespace common {

enum class Stream { kOut, kErr };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Write(Stream stream, std::string_view text) = 0;
  // Hands everything written so far on (before another program writes to
  // the same console).
  virtual void Flush() {}

  void Out(std::string_view text) { Write(Stream::kOut, text); }
  void Err(std::string_view text) { Write(Stream::kErr, text); }
  // A fixed format with its values, as printf would write it.
  void Print(Stream stream, const char* format, ...) __attribute__((format(printf, 3, 4)));
};

// The process's standard output and standard error.
class ConsoleSink final : public MessageSink {
 public:
  void Write(Stream stream, std::string_view text) override;
  void Flush() override;
};

// Keeps what is written, one string per stream (tests, and callers that
// decide later whether a message is shown).
class StringSink final : public MessageSink {
 public:
  void Write(Stream stream, std::string_view text) override;
  const std::string& out() const { return out_; }
  const std::string& err() const { return err_; }

 private:
  std::string out_;
  std::string err_;
};

// Hands on what is written to it to another sink in whole lines only, each
// line in one write under a lock that every LineSink of that target shares:
// sinks written from several threads at once never mix their lines. What
// is left without a line end goes on at Flush (and when the sink goes).
class LineSink final : public MessageSink {
 public:
  LineSink(MessageSink& target, std::mutex& lock) : target_(target), lock_(lock) {}
  ~LineSink() override { Flush(); }
  LineSink(const LineSink&) = delete;
  LineSink& operator=(const LineSink&) = delete;

  void Write(Stream stream, std::string_view text) override;
  void Flush() override;

 private:
  // Hands on what the stream's buffer holds up to its last line end, or all
  // of it.
  void Forward(Stream stream, bool whole);

  MessageSink& target_;
  std::mutex& lock_;
  std::string pending_[2];  // by stream
};

}  // namespace common
