// What platform/sockets.h promises on every platform, against listening
// sockets of the test's own on loopback.
#include "platform/sockets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using testing_support::LoopbackListener;
using testing_support::NowMs;

constexpr int kConnectWaitMs = 5000;
constexpr int kShortWaitMs = 300;
// More than the buffers of a loopback connection hold, on both sides.
constexpr std::size_t kFloodBytes = 32 << 20;

class SocketsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(platform::StartSockets()); }
  void TearDown() override { platform::StopSockets(); }

  // Connects *client to the listener, which must listen; the connection
  // waits in the listener's queue until accepted.
  static void Connect(const LoopbackListener& listener, platform::SocketHandle* client) {
    ASSERT_TRUE(listener.listening());
    int error = 0;
    *client = platform::CreateStreamSocket(&error);
    ASSERT_NE(*client, platform::kInvalidSocket) << error;
    ASSERT_EQ(platform::ConnectSocket(*client, listener.address(), listener.port(), kConnectWaitMs), 0);
  }

  // Expects error to tell of a wait that ran out after about kShortWaitMs
  // from started.
  static void ExpectShortWaitRanOut(int error, long long started, const char* what = "") {
    long long waited = NowMs() - started;
    EXPECT_EQ(error, platform::kSocketErrorTimedOut) << what;
    EXPECT_GE(waited, kShortWaitMs - 50) << what;
    EXPECT_LT(waited, kShortWaitMs + 3000) << what;
  }
};

TEST_F(SocketsTest, Lookups) {
  std::uint32_t address = 0;
  int error = 0;
  ASSERT_TRUE(platform::LookupHostAddress("127.0.0.1", &address, &error));
  EXPECT_EQ(address, 0x7F000001u);
  // A label longer than 63 characters: refused without asking any server.
  EXPECT_FALSE(platform::LookupHostAddress((std::string(64, 'x') + ".invalid").c_str(), &address, &error));
  EXPECT_TRUE(error == platform::kSocketErrorHostNotFound || error == platform::kSocketErrorNoData) << error;
  std::uint16_t port = 0;
  error = 0;
  EXPECT_FALSE(platform::LookupServicePort("no-such-service-here", &port, &error));
  EXPECT_NE(error, 0);
}

TEST_F(SocketsTest, RefusedConnection) {
  std::uint32_t address;
  std::uint16_t port;
  {
    LoopbackListener gone;
    ASSERT_TRUE(gone.listening());
    address = gone.address();
    port = gone.port();
  }
  int error = 0;
  platform::SocketHandle socket = platform::CreateStreamSocket(&error);
  ASSERT_NE(socket, platform::kInvalidSocket) << error;
  EXPECT_EQ(platform::ConnectSocket(socket, address, port, kConnectWaitMs), platform::kSocketErrorConnectionRefused);
  platform::CloseSocket(socket);
}

TEST_F(SocketsTest, BytesGoBothWaysThenTheCloseArrives) {
  LoopbackListener listener;
  platform::SocketHandle client = platform::kInvalidSocket;
  ASSERT_NO_FATAL_FAILURE(Connect(listener, &client));
  platform::SocketHandle peer = listener.Accept();
  ASSERT_NE(peer, platform::kInvalidSocket);
  int error = 0;
  EXPECT_EQ(platform::SendOnSocket(client, "request", 7, kShortWaitMs, &error), 7);
  char buffer[16];
  ASSERT_EQ(platform::ReceiveFromSocket(peer, buffer, sizeof buffer, kConnectWaitMs, &error), 7);
  EXPECT_EQ(std::string(buffer, 7), "request");
  EXPECT_EQ(platform::SendOnSocket(peer, "reply", 5, kShortWaitMs, &error), 5);
  ASSERT_EQ(platform::ReceiveFromSocket(client, buffer, sizeof buffer, kConnectWaitMs, &error), 5);
  EXPECT_EQ(std::string(buffer, 5), "reply");
  platform::CloseSocket(client);
  EXPECT_EQ(platform::ReceiveFromSocket(peer, buffer, sizeof buffer, kConnectWaitMs, &error), 0);
  platform::CloseSocket(peer);
}

// Either way of receiving: a wait of its own, or the socket's receive wait.
TEST_F(SocketsTest, ReceiveWaitsNoLongerThanItsLimit) {
  LoopbackListener listener;
  platform::SocketHandle client = platform::kInvalidSocket;
  ASSERT_NO_FATAL_FAILURE(Connect(listener, &client));
  ASSERT_TRUE(platform::SetReceiveWait(client, kShortWaitMs));
  for (bool own_wait : {true, false}) {
    char buffer[16];
    int error = 0;
    long long started = NowMs();
    EXPECT_EQ(own_wait ? platform::ReceiveFromSocket(client, buffer, sizeof buffer, kShortWaitMs, &error)
                       : platform::ReceiveOnSocket(client, buffer, sizeof buffer, &error),
              -1);
    ExpectShortWaitRanOut(error, started, own_wait ? "own wait" : "socket's wait");
  }
  platform::SocketHandle peer = listener.Accept();
  ASSERT_NE(peer, platform::kInvalidSocket);
  int error = 0;
  EXPECT_EQ(platform::SendOnSocket(peer, "reply", 5, kShortWaitMs, &error), 5);
  char buffer[16];
  EXPECT_EQ(platform::ReceiveOnSocket(client, buffer, sizeof buffer, &error), 5);
  platform::CloseSocket(peer);
  EXPECT_EQ(platform::ReceiveOnSocket(client, buffer, sizeof buffer, &error), 0);
  platform::CloseSocket(client);
}

TEST_F(SocketsTest, SendToAPeerThatNeverReadsStopsAtItsLimit) {
  LoopbackListener listener(4096);  // its connections wait unaccepted, never read
  platform::SocketHandle client = platform::kInvalidSocket;
  ASSERT_NO_FATAL_FAILURE(Connect(listener, &client));
  const std::vector<char> flood(kFloodBytes, 'x');
  int error = 0;
  long long started = NowMs();
  EXPECT_EQ(platform::SendOnSocket(client, flood.data(), flood.size(), kShortWaitMs, &error), -1);
  ExpectShortWaitRanOut(error, started);
  platform::CloseSocket(client);
}

}  // namespace
