// A scale that answers but never reads: the sends of a load must give up
// within the reply time limit instead of waiting for ever.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "support/shop.h"

namespace transfer_tests {
namespace {

// Records of the largest length; more of them than the socket buffers on
// both sides hold (a few MB on loopback).
constexpr int kRecords = 1000;
constexpr int kRecordBytes = 6143;
// The peer's receive buffer, kept small so that it fills soon.
constexpr int kPeerReceiveBuffer = 4096;

// A peer on address:port that accepts one connection and sends
// acknowledgements (06) as fast as they are taken, never reading.
class PeerThatNeverReads {
 public:
  PeerThatNeverReads(const std::string& address, int port) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    int size = kPeerReceiveBuffer;
    setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
    listening_ = bind(listener_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 && listen(listener_, 1) == 0;
    if (listening_) thread_ = std::thread([this] { Serve(); });
  }
  ~PeerThatNeverReads() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(listener_);
  }
  bool listening() const { return listening_; }

 private:
  void Serve() {
    pollfd waiting = {listener_, POLLIN, 0};
    while (!stop_ && poll(&waiting, 1, 50) == 0) {
    }
    if (stop_) return;
    int peer = accept(listener_, nullptr, nullptr);
    const std::string acks(256, '\x06');
    pollfd writable = {peer, POLLOUT, 0};
    while (!stop_) {
      if (poll(&writable, 1, 50) <= 0) continue;
      if (send(peer, acks.data(), acks.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0 && errno != EAGAIN) break;
    }
    close(peer);
  }

  int listener_ = -1;
  bool listening_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

using XferlnkSendTimeoutTest = testing_support::ShopTest;

// A scale that takes the connection and never reads fills the buffers; the
// send then gives up within the reply time limit, and the load fails with -7.
TEST_F(XferlnkSendTimeoutTest, LoadToAPeerThatNeverReadsFailsWithinTheTimeLimit) {
  std::string record = std::string(8, '0') + "17FF" + std::string(2 * (kRecordBytes - 6), 'A');
  std::string file;
  for (int i = 0; i < kRecords; ++i) file += record;
  Write("QS001F25.DAT", file);
  PeerThatNeverReads peer(address(), 2001);
  ASSERT_TRUE(peer.listening());
  auto started = std::chrono::steady_clock::now();
  auto result = Transfer({"F25.DAT", "001"}, {"XFLTIMEOUT=1"}, 15000);
  EXPECT_FALSE(result.timed_out);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Read("error"), "001");
  EXPECT_EQ(Read("retvals"), "-7");
}

}  // namespace
}  // namespace transfer_tests
