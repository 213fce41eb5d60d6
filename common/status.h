// The outcome of an operation that can fail: ok, or a failure code and a
// message. The code's meaning belongs to the layer that returns it (the
// converter's failure kinds, the transfer program's result codes, a socket
// error number); 0 always means ok. The message says what went wrong in
// words; whether and where it is shown is the caller's choice.
#pragma once

#include <string>
#include <utility>

namespace common {

class [[nodiscard]] Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  // A failure; code is not 0.
  static Status Error(int code, std::string message) { return Status(code, std::move(message)); }

  bool ok() const { return code_ == 0; }
  int code() const { return code_; }
  const std::string& message() const { return message_; }

 private:
  Status(int code, std::string message) : code_(code == 0 ? -1 : code), message_(std::move(message)) {}

  int code_ = 0;
  std::string message_;
};

}  // namespace common
