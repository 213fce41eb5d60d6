// A plain blocking TCP client for the emulator's tests: sends exactly the
// bytes it is given and reads with a time limit.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace scalesim_test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes FromHex(const std::string& hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

inline std::string ToHex(const Bytes& bytes) { return testing_support::Hex(std::string(bytes.begin(), bytes.end())); }

// The IPv4 socket address of address (dotted) and port.
inline sockaddr_in SocketAddress(const std::string& address, int port) {
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
  return sa;
}

class RawClient {
 public:
  RawClient() = default;
  ~RawClient() { Close(); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Connect(const std::string& address, int port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa = SocketAddress(address, port);
    int on = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return connect(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
  }

  bool Send(const Bytes& bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }
  bool SendHex(const std::string& hex) { return Send(FromHex(hex)); }

  // Sends one byte at a time, pausing between them so that each goes out
  // in a segment of its own.
  bool SendSlowly(const Bytes& bytes) {
    for (std::uint8_t b : bytes) {
      if (send(fd_, &b, 1, MSG_NOSIGNAL) != 1) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  // Reads until count bytes have come, the peer closed, or timeout_ms ran out.
  Bytes Receive(std::size_t count, int timeout_ms = 3000) {
    Bytes bytes;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (bytes.size() < count) {
      int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      deadline - std::chrono::steady_clock::now())
                                      .count());
      if (left <= 0) break;
      pollfd p = {fd_, POLLIN, 0};
      if (poll(&p, 1, left) != 1) break;
      std::uint8_t buffer[16384];
      ssize_t n = recv(fd_, buffer, std::min(sizeof buffer, count - bytes.size()), 0);
      if (n <= 0) {
        closed_ = true;
        error_ = n < 0;
        break;
      }
      bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
  }
  std::string ReceiveHex(std::size_t count, int timeout_ms = 3000) { return ToHex(Receive(count, timeout_ms)); }

  // One request, one reply of `count` bytes, as hex.
  std::string Ask(const std::string& request_hex, std::size_t reply_length) {
    if (!SendHex(request_hex)) return "<send failed>";
    return ReceiveHex(reply_length);
  }

  bool closed() const { return closed_; }
  bool error() const { return error_; }  // the peer reset the connection

  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
  bool closed_ = false;
  bool error_ = false;
};

}  // namespace scalesim_test
