// The outcome of an operation that can fail: ok, or a failure with a code, a
// message and the system's error number behind it.
//
// Each layer has a code type of its own, an enum class whose value 0 means
// ok (the platform's system failures, the converter's run failures, the
// transfer program's result codes...). A Status of one layer's code cannot
// be returned where another's is expected: crossing a layer is a choice the
// caller writes out with As(), so that no number means one thing below and
// another above.
//
// The message says what went wrong in words, without a line end: whoever
// prints it adds one. Whether and where it is shown is the caller's choice.
#pragma once

#include <string>
#include <utility>

namespace base {

template <typename Code>
class [[nodiscard]] Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  // A failure; code is not the ok value. system_error is the system's error
  // number behind it (errno, GetLastError, a socket error), 0 if none.
  static Status Error(Code code, std::string message, int system_error = 0) {
    return Status(code, std::move(message), system_error);
  }

  bool ok() const { return code_ == Code{}; }
  Code code() const { return code_; }
  const std::string& message() const { return message_; }
  int system_error() const { return system_error_; }
  // Why, in detail, where the message is a fixed text: the file or setting,
  // the value and the system's reason ("cannot open VelkoCon.txt: No such
  // file or directory"); empty if there is nothing to add.
  const std::string& cause() const { return cause_; }

  // The same failure with the cause set.
  Status WithCause(std::string cause) const {
    Status status = *this;
    status.cause_ = std::move(cause);
    return status;
  }

  // The same failure as a failure of another layer, with that layer's code
  // and, if given, another message; the system's error number goes along.
  template <typename Other>
  Status<Other> As(Other code) const {
    return Status<Other>::Error(code, message_, system_error_).WithCause(cause_);
  }
  template <typename Other>
  Status<Other> As(Other code, std::string message) const {
    return Status<Other>::Error(code, std::move(message), system_error_).WithCause(cause_);
  }

 private:
  Status(Code code, std::string message, int system_error)
      : code_(code), message_(std::move(message)), system_error_(system_error) {}

  Code code_{};
  std::string message_;
  int system_error_ = 0;
  std::string cause_;
};

}  // namespace base
