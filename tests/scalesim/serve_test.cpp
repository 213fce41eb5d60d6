// The emulator as a TCP server: commands, framing, persistence, the packet
// log and hostile input, each test on a loopback address of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "raw_client.h"
#include "support/test_support_posix.h"

namespace {

using scalesim_test::Bytes;
using scalesim_test::FromHex;
using scalesim_test::RawClient;
using namespace testing_support;

// Worked-example records: a weighed PLU 123 and a store name.
const char kApples[] = "00000123002210000D20000000125011052500123000000107064150504C45530C00";
const char kPears[] = "00000077 0021 10 00 0D 20 00 00000199 11 14 21 220007700001 07 05 5045415253 0C00";

std::string Clean(std::string hex) {
  std::string out;
  for (char c : hex) {
    if (c != ' ') out.push_back(c);
  }
  return out;
}

std::string Listen(const std::string& address, int port = 2001) { return address + ":" + std::to_string(port); }

class ServeTest : public ::testing::Test {
 protected:
  bool StartSim(const std::vector<std::string>& extra = {}) {
    return sim_.Start(dir_.File("store"), {Listen(address_)}, extra);
  }
  bool Connect() { return client_.Connect(address_, 2001); }

  TempDir dir_;
  std::string address_ = testing_support::LoopbackAddressForTest();
  ScaleSim sim_;
  RawClient client_;
};

TEST_F(ServeTest, AnswersEveryCommand) {
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(Connect());
  const std::string apples = kApples, pears = Clean(kPears);
  struct Step {
    std::string request;
    std::string reply;
  };
  const Step steps[] = {
      {"F725 00000000", "E200000000"},                // empty table
      {"F125" + apples + "55", "15"},                 // record longer than its length field
      {"F725 00000000", "E200000000"},                // ... stored nothing
      {"F125" + apples, "06"},                        // store
      {"F125" + pears, "06"},                         // store, lower key
      {"F725 00000000", pears},                       // first record
      {"F725 00000077", apples},                      // next by key
      {"F725 00000100", apples},                      // key between records
      {"F725 00000123", "E200000000"},                // past the last
      {"F726 00000000", "E200000000"},                // another file code
      {"F325 00000077", "06"},                        // delete
      {"F325 00000077", "06"},                        // delete what is not there
      {"F725 00000000", apples},
      {"F124 0000000100070A", "06"},                  // smallest useful record
      {"F2 25", "06"},                                // clear the PLU table
      {"F725 00000000", "E200000000"},
      {"F724 00000000", "0000000100070A"},            // other tables stay
      {"F2 26", "15"},                                // only the PLU table can be cleared
      {"F1 25 00000001 0005 00", "15"},               // length field below 6
      {"F725 00000000", "E200000000"},                // ... stored nothing
      {"F1 25 00000001 1800", "15"},                  // length field above 6143
      {"F725 00000000", "E200000000"},
      {"00", "15"},                                   // no request begins with 00
      {"F7 3D FFFFFFFF", "E200000000"},
  };
  for (const Step& step : steps) {
    std::string reply = Clean(step.reply);
    EXPECT_EQ(client_.Ask(Clean(step.request), reply.size() / 2), reply) << step.request;
  }
  // Nothing more came than the replies above.
  EXPECT_TRUE(client_.Receive(1, 100).empty());
}

TEST_F(ServeTest, FramesRequestsSplitIntoSingleBytes) {
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(client_.SendSlowly(FromHex("F125" + std::string(kApples))));
  EXPECT_EQ(client_.ReceiveHex(1), "06");
  ASSERT_TRUE(client_.SendSlowly(FromHex("F72500000000")));
  EXPECT_EQ(client_.ReceiveHex(34), kApples);
}

TEST_F(ServeTest, AnswersRequestsMergedIntoOneSegmentInOrder) {
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(Connect());
  std::string apples = kApples, pears = Clean(kPears);
  ASSERT_TRUE(client_.SendHex("F125" + apples + "F125" + pears + "F72500000000F72500000077F7250000012315" +
                              "F32500000077F72500000000"));
  std::string expected = "0606" + pears + apples + "E200000000" + "15" + "06" + apples;
  EXPECT_EQ(client_.ReceiveHex(expected.size() / 2), expected);
}

TEST_F(ServeTest, AnswersARecordOfTheLongestLength) {
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(Connect());
  Bytes record(6143, 0x5A);
  record[0] = 0; record[1] = 0; record[2] = 0; record[3] = 9;
  record[4] = 0x17; record[5] = 0xFF;
  Bytes packet = {0xF1, 0x26};
  packet.insert(packet.end(), record.begin(), record.end());
  ASSERT_TRUE(client_.Send(packet));
  EXPECT_EQ(client_.ReceiveHex(1), "06");
  ASSERT_TRUE(client_.SendHex("F72600000000"));
  EXPECT_EQ(client_.Receive(6143), record);
}

TEST_F(ServeTest, WritesThePacketLogLineByLine) {
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(Connect());
  EXPECT_EQ(client_.Ask("F2250F", 2), "0615");
  client_.Close();
  ASSERT_TRUE(sim_.Stop());
  EXPECT_EQ(sim_.Log(), "2001 open\n2001 > F225\n2001 < 06\n2001 > 0F\n2001 < 15\n2001 close\n");
}

TEST_F(ServeTest, KeepsTheStoreAcrossRestartsAndServesEachScaleItsOwn) {
  std::string store = dir_.File("store");
  ASSERT_TRUE(sim_.Start(store, {Listen(address_, 2001), Listen(address_, 2012)}));
  {
    RawClient one, twelve;
    ASSERT_TRUE(one.Connect(address_, 2001));
    ASSERT_TRUE(twelve.Connect(address_, 2012));
    EXPECT_EQ(one.Ask("F125" + std::string(kApples), 1), "06");
    EXPECT_EQ(twelve.Ask("F125" + Clean(kPears), 1), "06");
  }
  ASSERT_TRUE(sim_.Stop());
  EXPECT_TRUE(testing_support::Exists(store + "/001/tables.hex"));
  EXPECT_TRUE(testing_support::Exists(store + "/012/tables.hex"));
  ASSERT_TRUE(sim_.Start(store, {Listen(address_, 2001), Listen(address_, 2012)}));
  RawClient one, twelve;
  ASSERT_TRUE(one.Connect(address_, 2001));
  ASSERT_TRUE(twelve.Connect(address_, 2012));
  EXPECT_EQ(one.Ask("F72500000000", 34), kApples);
  EXPECT_EQ(one.Ask("F72500000123", 5), "E200000000");
  EXPECT_EQ(twelve.Ask("F72500000000", 33), Clean(kPears));
}

TEST_F(ServeTest, WritesTheStoreWhenAConnectionCloses) {
  std::string tables = dir_.File("store") + "/001/tables.hex";
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(Connect());
  EXPECT_EQ(client_.Ask("F125" + std::string(kApples), 1), "06");
  client_.Close();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ReadFile(tables) == "<missing>" && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(ReadFile(tables), "25 " + std::string(kApples) + "\n");
}

TEST_F(ServeTest, SurvivesRandomBytesAndHugeLengthFields) {
  ASSERT_TRUE(StartSim());
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    RawClient hostile;
    ASSERT_TRUE(hostile.Connect(address_, 2001));
    Bytes junk(4096 + round * 1000);
    for (std::uint8_t& b : junk) b = static_cast<std::uint8_t>(random());
    // Record packets that promise more than a record can hold.
    Bytes huge = FromHex("F125000000FFFFFF F125000000011800 F12500000001 0000");
    junk.insert(junk.begin() + round * 100, huge.begin(), huge.end());
    hostile.Send(junk);
    hostile.Receive(junk.size(), 20);  // read some, leave the rest unread
  }
  // A client that only sends and never reads does not make the scale buffer
  // without bound: the sending just stalls.
  {
    RawClient greedy;
    ASSERT_TRUE(greedy.Connect(address_, 2001));
    Bytes reads;
    for (int i = 0; i < 20000; ++i) {
      Bytes read = FromHex("F72500000000");
      reads.insert(reads.end(), read.begin(), read.end());
    }
    std::thread sender([&] { greedy.Send(reads); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    greedy.Close();
    sender.join();
  }
  ASSERT_TRUE(Connect());
  EXPECT_EQ(client_.Ask("F125" + std::string(kApples), 1), "06");
  EXPECT_EQ(client_.Ask("F72500000122", 34), kApples);
  EXPECT_TRUE(sim_.Stop());
}

TEST_F(ServeTest, NamesTheAddressAndTheReasonWhenItCannotListen) {
  ASSERT_TRUE(StartSim());
  struct Case {
    std::string listen;
    std::string reason;
  };
  const Case cases[] = {
      {Listen(address_), "Address already in use"},
      {"192.0.2.1:2001", "Cannot assign requested address"},  // not an address of this machine
  };
  for (const Case& c : cases) {
    auto result = testing_support::RunProgram(testing_support::BinPath("scalesim"),
                                              {"serve", "--store", dir_.File("other"), "--listen", c.listen},
                                              dir_.path(), {}, 5000);
    EXPECT_EQ(result.status, 2) << c.listen;
    EXPECT_EQ(result.err, "scalesim: cannot listen on " + c.listen + ": " + c.reason + "\n");
    EXPECT_EQ(result.out, "");
  }
}

TEST_F(ServeTest, AnswersARecordThatNeverCompletesWithANegativeAcknowledge) {
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(client_.SendHex("F1250000000100400102"));  // promises 64 bytes, brings 4
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(client_.ReceiveHex(1, 5000), "15");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
  EXPECT_EQ(client_.Ask("F72500000000", 5), "E200000000");
}

}  // namespace

namespace {

// What clients did before a stop is in the log and in the store, even when
// the emulator had no time to look at it before the signal.
TEST(ServeStopTest, TakesInWhatCameBeforeTheStop) {
  TempDir dir;
  std::string address = testing_support::LoopbackAddressForTest();
  ScaleSim sim;
  ASSERT_TRUE(sim.Start(dir.File("store"), {address + ":2001"}));
  for (int round = 0; round < 20; ++round) {
    RawClient client;
    ASSERT_TRUE(client.Connect(address, 2001));
    ASSERT_TRUE(client.SendHex("F1250000000100070A"));
  }
  RawClient last;
  ASSERT_TRUE(last.Connect(address, 2001));
  ASSERT_TRUE(last.SendHex("F1250000000200070B"));
  ASSERT_TRUE(sim.Stop());
  std::string log = sim.Log();
  std::size_t opens = 0;
  for (std::size_t at = log.find("2001 open\n"); at != std::string::npos; at = log.find("2001 open\n", at + 1)) ++opens;
  EXPECT_EQ(opens, 21u) << log;
  EXPECT_NE(log.find("2001 > F1250000000200070B\n"), std::string::npos) << log;
  EXPECT_EQ(ReadFile(dir.File("store") + "/001/tables.hex"), "25 0000000100070A\n25 0000000200070B\n");
}

}  // namespace
