#include "common/message_sink.h"

#include <cstdio>
#include <vector>

namespace common {

void MessageSink::Print(Stream stream, const char* format, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  int needed = std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  if (needed < 0) return;
  if (static_cast<std::size_t>(needed) < sizeof text) {
    Write(stream, std::string_view(text, static_cast<std::size_t>(needed)));
    return;
  }
  std::vector<char> longer(static_cast<std::size_t>(needed) + 1);
  va_start(arguments, format);
  std::vsnprintf(longer.data(), longer.size(), format, arguments);
  va_end(arguments);
  Write(stream, std::string_view(longer.data(), static_cast<std::size_t>(needed)));
}

void ConsoleSink::Write(Stream stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream == Stream::kOut ? stdout : stderr);
}

void ConsoleSink::Flush() {
  std::fflush(stdout);
  std::fflush(stderr);
}

void StringSink::Write(Stream stream, std::string_view text) {
  (stream == Stream::kOut ? out_ : err_).append(text);
}

void LineSink::Write(Stream stream, std::string_view text) {
  pending_[static_cast<int>(stream)].append(text);
  if (text.find('\n') != std::string_view::npos) Forward(stream, false);
}

void LineSink::Flush() {
  Forward(Stream::kOut, true);
  Forward(Stream::kErr, true);
  std::lock_guard<std::mutex> hold(lock_);
  target_.Flush();
}

void LineSink::Forward(Stream stream, bool whole) {
  std::string& pending = pending_[static_cast<int>(stream)];
  const std::size_t end = whole ? pending.size() : pending.rfind('\n') + 1;
  if (end == 0 || pending.empty()) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    target_.Write(stream, std::string_view(pending).substr(0, end));
  }
  pending.erase(0, end);
}

}  // namespace common
