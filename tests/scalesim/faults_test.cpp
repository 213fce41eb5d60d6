// The fault options of "scalesim serve", each against a raw client.
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "raw_client.h"
#include "support/test_support.h"

namespace {

using scalesim_test::RawClient;
using testing_support::ScaleSim;
using testing_support::TempDir;

const char kRecord[] = "0000000500070A";  // key 5, 7 bytes

class FaultsTest : public ::testing::Test {
 protected:
  bool StartSim(const std::vector<std::string>& faults) {
    return sim_.Start(dir_.File("store"), {address_ + ":2001"}, faults);
  }
  bool Connect() { return client_.Connect(address_, 2001); }

  TempDir dir_;
  std::string address_ = testing_support::LoopbackAddressForTest();
  ScaleSim sim_;
  RawClient client_;
};

// A connection attempt as the transfer program makes it: non-blocking, at
// most three seconds. 0 when connected, else the error (ETIMEDOUT for no
// answer).
int ConnectWithin3Seconds(const std::string& address, int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  fcntl(fd, F_SETFL, O_NONBLOCK);
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
  int result = 0;
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    result = errno;
    if (errno == EINPROGRESS) {
      pollfd p = {fd, POLLOUT, 0};
      if (poll(&p, 1, 3000) != 1) {
        result = ETIMEDOUT;
      } else {
        socklen_t length = sizeof result;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length);
      }
    }
  }
  close(fd);
  return result;
}

TEST_F(FaultsTest, RefuseBindsNothing) {
  ASSERT_TRUE(StartSim({"--refuse"}));
  EXPECT_EQ(ConnectWithin3Seconds(address_, 2001), ECONNREFUSED);
}

TEST_F(FaultsTest, NoAcceptLetsTheConnectRunOutOfTime) {
  ASSERT_TRUE(StartSim({"--no-accept"}));
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ConnectWithin3Seconds(address_, 2001), ETIMEDOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2900));
  EXPECT_TRUE(sim_.Stop());
}

TEST_F(FaultsTest, NoAnswerReadsButNeverReplies) {
  ASSERT_TRUE(StartSim({"--no-answer"}));
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(client_.SendHex("F72500000000"));
  EXPECT_EQ(client_.ReceiveHex(1, 300), "");
  EXPECT_FALSE(client_.closed());
  client_.Close();
  EXPECT_TRUE(sim_.Stop());
  EXPECT_EQ(sim_.Log(), "2001 open\n2001 > F72500000000\n2001 close\n");
}

TEST_F(FaultsTest, CloseAfterAndResetAfterEndTheConnectionOnRequestN) {
  struct Case {
    const char* option;
    bool reset;
  };
  for (const Case& c : {Case{"--close-after", false}, Case{"--reset-after", true}}) {
    ScaleSim sim;
    TempDir dir;
    ASSERT_TRUE(sim.Start(dir.File("store"), {address_ + ":2001"}, {c.option, "2"}));
    RawClient client;
    ASSERT_TRUE(client.Connect(address_, 2001));
    EXPECT_EQ(client.Ask("F125" + std::string(kRecord), 1), "06") << c.option;
    EXPECT_EQ(client.Ask("F72500000000", 7), "") << c.option;
    EXPECT_TRUE(client.closed()) << c.option;
    EXPECT_EQ(client.error(), c.reset) << c.option;
    // Every new connection counts its own requests.
    RawClient second;
    ASSERT_TRUE(second.Connect(address_, 2001));
    EXPECT_EQ(second.Ask("F72500000000", 7), kRecord) << c.option;
    EXPECT_EQ(second.Ask("F72500000000", 7), "") << c.option;
    EXPECT_TRUE(sim.Stop());
  }
}

TEST_F(FaultsTest, DelayMsHoldsEachReply) {
  ASSERT_TRUE(StartSim({"--delay-ms", "300"}));
  ASSERT_TRUE(Connect());
  for (int i = 0; i < 2; ++i) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client_.Ask("F72500000000", 5), "E200000000");
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(290));
    EXPECT_LT(took, std::chrono::milliseconds(2000));
  }
  // Requests sent together are answered one delay after the other.
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(client_.Ask("F2250000", 3), "061515");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(870));
}

TEST_F(FaultsTest, ReplyEchoKeyAndShortReplyChangeTheAnswers) {
  struct Case {
    std::vector<std::string> faults;
    std::string request;
    std::string reply;
  };
  const Case cases[] = {
      {{"--reply", "E3010203"}, "F72500000000", "E3010203"},
      {{"--reply", "E3010203"}, "F225", "E3010203"},
      {{"--echo-key"}, "F72500000000", "000000000006"},
      {{"--echo-key"}, "F72E00000012", "000000120006"},
      {{"--echo-key"}, "F225", "06"},
      {{"--short-reply", "1"}, "F72500000000", "E2"},
      {{"--short-reply", "3"}, "F72500000000", "E20000"},
      {{"--short-reply", "3"}, "F225", "060000"},
  };
  for (const Case& c : cases) {
    ScaleSim sim;
    TempDir dir;
    ASSERT_TRUE(sim.Start(dir.File("store"), {address_ + ":2001"}, c.faults));
    RawClient client;
    ASSERT_TRUE(client.Connect(address_, 2001));
    EXPECT_EQ(client.Ask(c.request, c.reply.size() / 2), c.reply) << c.faults[0] << " " << c.request;
    EXPECT_TRUE(client.Receive(1, 50).empty()) << c.faults[0] << " " << c.request;
    EXPECT_TRUE(sim.Stop());
  }
}

TEST_F(FaultsTest, RefusesBadCommandLines) {
  const std::vector<std::vector<std::string>> lines = {
      {"serve"},
      {"serve", "--store", "s"},
      {"serve", "--store", "s", "--listen", "127.0.0.1"},
      {"serve", "--store", "s", "--listen", "127.0.0.1:1999"},
      {"serve", "--store", "s", "--listen", "localhost:2001"},
      {"serve", "--store", "s", "--listen", "127.0.0.1:2001", "--short-reply", "4"},
      {"serve", "--store", "s", "--listen", "127.0.0.1:2001", "--reply", "0"},
      {"serve", "--store", "s", "--listen", "127.0.0.1:2001", "--close-after", "0"},
      {"serve", "--store", "s", "--listen", "127.0.0.1:2001", "--bogus"},
      {"dance"},
      {},
  };
  for (const auto& line : lines) {
    auto result = testing_support::RunProgram(testing_support::BinPath("scalesim"), line, dir_.path(), {}, 5000);
    EXPECT_EQ(result.status, 1) << (line.empty() ? "" : line.back());
    EXPECT_FALSE(result.err.empty());
  }
}

}  // namespace
