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
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "raw_client.h"
#include "support/test_support_posix.h"

namespace {

using scalesim_test::RawClient;
using testing_support::ReadFile;
using testing_support::ScaleSim;
using testing_support::TempDir;
using testing_support::WriteFile;

const char kRecord[] = "0000000500070A";  // key 5, 7 bytes
// Three records of the PLU table, keys 5, 6 and 7.
const char* const kTable[] = {kRecord, "00000006000700", "0000000700080B0C"};

// One request and the reply it must get, all of it and nothing more.
struct Step {
  std::string request;
  std::string reply;
};

// kTable as the store file holds it.
const char kTableFile[] = "25 0000000500070A\n25 00000006000700\n25 0000000700080B0C\n";

// A PLU record of 16 bytes: the key (packed decimal, up to 8 digits), the
// length field, bytes 6-10 zero, the price (8 digits) in bytes 11-14, and a
// label format byte.
std::string Plu(int key, const char* price) {
  char hex[40];
  std::snprintf(hex, sizeof hex, "%08d00100000000000%s11", key, price);
  return hex;
}
std::string PluPacket(int key, const char* price) { return "F125" + Plu(key, price); }
// The store file's line of that record.
std::string PluLine(int key, const char* price) { return "25 " + Plu(key, price) + "\n"; }

// One connection to the listener on a port, and what it asks.
struct Session {
  int port;
  std::vector<Step> steps;
};

// An emulator with faults, listening on the ports the sessions use, whose
// scale 001 holds `preload` at the start; the sessions one after the other,
// each on a connection of its own; and what the scales' store files hold
// after the stop.
struct StoreCase {
  const char* name;
  std::vector<std::string> faults;
  std::string preload;
  std::vector<Session> sessions;
  std::map<int, std::string> tables;  // scale number -> store file
};

std::chrono::milliseconds Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

class FaultsTest : public ::testing::Test {
 protected:
  bool StartSim(const std::vector<std::string>& faults) {
    return sim_.Start(dir_.File("store"), {address_ + ":2001"}, faults);
  }
  bool Connect() { return client_.Connect(address_, 2001); }

  // Starts an emulator with the faults that holds kTable, and runs the steps
  // on one connection.
  void RunSteps(const std::vector<std::string>& faults, const std::vector<Step>& steps) {
    ScaleSim sim;
    TempDir dir;
    ASSERT_TRUE(sim.Start(dir.File("store"), {address_ + ":2001"}, faults));
    RawClient client;
    ASSERT_TRUE(client.Connect(address_, 2001));
    for (const char* record : kTable) ASSERT_EQ(client.Ask(std::string("F125") + record, 1), "06");
    for (const Step& step : steps) {
      EXPECT_EQ(client.Ask(step.request, step.reply.size() / 2), step.reply) << faults[0] << " " << step.request;
      EXPECT_TRUE(client.Receive(1, 50).empty()) << faults[0] << " " << step.request;
    }
    EXPECT_TRUE(sim.Stop());
  }

  void RunStoreCase(const StoreCase& c) {
    ScaleSim sim;
    TempDir dir;
    std::string store = dir.File("store");
    if (!c.preload.empty()) {
      ASSERT_EQ(testing_support::RunProgram("/bin/mkdir", {"-p", store + "/001"}, dir.path()).status, 0);
      ASSERT_TRUE(WriteFile(store + "/001/tables.hex", c.preload));
    }
    std::set<int> ports;
    for (const Session& session : c.sessions) ports.insert(session.port);
    std::vector<std::string> listen;
    for (int port : ports) listen.push_back(address_ + ":" + std::to_string(port));
    ASSERT_TRUE(sim.Start(store, listen, c.faults)) << c.name;
    for (std::size_t i = 0; i < c.sessions.size(); ++i) {
      RawClient client;
      ASSERT_TRUE(client.Connect(address_, c.sessions[i].port)) << c.name;
      for (const Step& step : c.sessions[i].steps) {
        EXPECT_EQ(client.Ask(step.request, step.reply.size() / 2), step.reply)
            << c.name << ", connection " << i + 1 << ": " << step.request;
        EXPECT_TRUE(client.Receive(1, 50).empty()) << c.name << ", connection " << i + 1 << ": " << step.request;
      }
    }
    ASSERT_TRUE(sim.Stop()) << c.name;
    for (const auto& [scale, file] : c.tables) {
      char name[16];
      std::snprintf(name, sizeof name, "/%03d", scale);
      EXPECT_EQ(ReadFile(store + name + "/tables.hex"), file) << c.name << ", scale " << scale;
    }
  }

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
  sockaddr_in sa = scalesim_test::SocketAddress(address, port);
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

TEST_F(FaultsTest, SplitReplySendsKeyAndLengthFirstThenTheRestAfterThePause) {
  ASSERT_TRUE(StartSim({"--split-reply", "400"}));
  ASSERT_TRUE(Connect());
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(client_.Ask("F125" + std::string(kRecord), 1), "06");  // one byte: nothing to split
  EXPECT_LT(Since(start), std::chrono::milliseconds(300));
  struct Case {
    std::string request;
    std::string head;
    std::string rest;
  };
  const Case cases[] = {
      {"F72500000000", "000000050007", "0A"},  // a record: key and length first
      {"F72500000005", "E2", "00000000"},      // 6 bytes or less: the first byte first
  };
  for (const Case& c : cases) {
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(client_.Ask(c.request, c.head.size() / 2), c.head) << c.request;
    EXPECT_LT(Since(start), std::chrono::milliseconds(300)) << c.request;
    EXPECT_EQ(client_.ReceiveHex(1, 150), "") << c.request;  // still pausing
    EXPECT_EQ(client_.ReceiveHex(c.rest.size() / 2), c.rest) << c.request;
    EXPECT_GE(Since(start), std::chrono::milliseconds(390)) << c.request;
  }
  client_.Close();
  ASSERT_TRUE(sim_.Stop());
  EXPECT_NE(sim_.Log().find("2001 < 0000000500070A\n2001 > F72500000005\n2001 < E200000000\n"), std::string::npos)
      << sim_.Log();
}

TEST_F(FaultsTest, ReadFaultsShapeTheRecordsOfAReply) {
  const std::string five = kTable[0], six = kTable[1], seven = kTable[2];
  RunSteps({"--records-per-reply", "2"}, {{"F72500000000", five + six},
                                          {"F72500000006", seven},  // the table runs out
                                          {"F72500000007", "E200000000"},
                                          {"F72600000000", "E200000000"}});
  RunSteps({"--cycle-keys", "3"}, {{"F72500000000", "0000000100080000"},
                                   {"F72E00000001", "0000000200080000"},
                                   {"F72500000003", "0000000100080000"},
                                   {"F72500000007", "0000000200080000"},
                                   {"F725FFFFFFFF", "0000000100080000"},
                                   {"F32500000001", "06"},  // deletes change nothing
                                   {"F72500000000", "0000000100080000"}});
  RunSteps({"--cycle-keys", "2", "--records-per-reply", "3"},
           {{"F72500000001", "0000000200080000" "0000000100080000" "0000000200080000"}});
  RunSteps({"--new-keys"}, {{"F72500000000", "0000000100080000"},
                            {"F72500000000", "0000000200080000"},  // never the same key twice
                            {"F72E00000010", "0000001100080000"},
                            {"F72500000005", "0000001200080000"},
                            {"F225", "06"}});
  RunSteps({"--new-keys", "--records-per-reply", "2"},
           {{"F72500000000", "0000000100080000" "0000000200080000"},
            {"F72500000002", "0000000300080000" "0000000400080000"}});
}

TEST_F(FaultsTest, DelayMsHoldsEachConnectionsRepliesOnItsOwn) {
  // Four scales, one client each, all asking at once: the delays run side by
  // side (about 1 s in all), not one after the other (4 s).
  const int kScales = 4;
  std::vector<std::string> listen;
  for (int i = 0; i < kScales; ++i) listen.push_back(address_ + ":" + std::to_string(2001 + i));
  ASSERT_TRUE(sim_.Start(dir_.File("store"), listen, {"--delay-ms", "1000"}));
  std::vector<std::unique_ptr<RawClient>> clients;
  for (int i = 0; i < kScales; ++i) {
    clients.push_back(std::make_unique<RawClient>());
    ASSERT_TRUE(clients.back()->Connect(address_, 2001 + i)) << i;
  }
  auto start = std::chrono::steady_clock::now();
  for (auto& client : clients) ASSERT_TRUE(client->SendHex("F72500000000"));
  for (int i = 0; i < kScales; ++i) EXPECT_EQ(clients[i]->ReceiveHex(5, 6000), "E200000000") << i;
  EXPECT_GE(Since(start), std::chrono::milliseconds(990));
  EXPECT_LT(Since(start), std::chrono::milliseconds(3000));
  EXPECT_TRUE(sim_.Stop());
}

TEST_F(FaultsTest, AlterPluAndDropPluStoreEveryNthPluRecordOtherwise) {
  const std::string totals = "0000000100070A";  // a record of file code 26: no PLU record
  const StoreCase cases[] = {
      {"--alter-plu 2: the count runs over connections",
       {"--alter-plu", "2"},
       "",
       {{2001,
         {{PluPacket(1, "00001250"), "06"},
          {PluPacket(2, "00001250"), "06"},
          {"F126" + totals, "06"},
          {"F72500000000", Plu(1, "00001250")},
          {PluPacket(3, "00001250"), "06"}}},
        {2001, {{PluPacket(4, "99999999"), "06"}, {PluPacket(5, "00001250"), "06"}}}},
       {{1, PluLine(1, "00001250") + PluLine(2, "00001251") + PluLine(3, "00001250") + PluLine(4, "00000000") +
                PluLine(5, "00001250") + "26 " + totals + "\n"}}},
      {"--alter-plu 1: a record too short for a price is stored as it came",
       {"--alter-plu", "1"},
       "",
       {{2001, {{"F1250000000900070A", "06"}, {PluPacket(1, "00000000"), "06"}}}},
       {{1, PluLine(1, "00000001") + "25 0000000900070A\n"}}},
      {"--drop-plu 2: the table keeps what it held under the key",
       {"--drop-plu", "2"},
       PluLine(2, "00000777"),
       {{2001,
         {{PluPacket(1, "00001250"), "06"},
          {PluPacket(2, "00001250"), "06"},
          {PluPacket(3, "00001250"), "06"},
          {PluPacket(4, "00001250"), "06"}}},
        {2001, {{PluPacket(5, "00001250"), "06"}, {"F72500000003", Plu(5, "00001250")}}}},
       {{1, PluLine(1, "00001250") + PluLine(2, "00000777") + PluLine(3, "00001250") + PluLine(5, "00001250")}}},
      {"--alter-plu 2 --drop-plu 3: where both divide, dropped",
       {"--alter-plu", "2", "--drop-plu", "3"},
       "",
       {{2001,
         {{PluPacket(1, "00000100"), "06"},
          {PluPacket(2, "00000100"), "06"},
          {PluPacket(3, "00000100"), "06"},
          {PluPacket(4, "00000100"), "06"},
          {PluPacket(5, "00000100"), "06"},
          {PluPacket(6, "00000100"), "06"}}}},
       {{1, PluLine(1, "00000100") + PluLine(2, "00000101") + PluLine(4, "00000101") + PluLine(5, "00000100")}}},
      {"--alter-plu 2: each scale counts its own",
       {"--alter-plu", "2"},
       "",
       {{2001, {{PluPacket(1, "00000100"), "06"}}},
        {2002, {{PluPacket(1, "00000100"), "06"}}},
        {2001, {{PluPacket(2, "00000100"), "06"}}},
        {2002, {{PluPacket(2, "00000100"), "06"}}}},
       {{1, PluLine(1, "00000100") + PluLine(2, "00000101")}, {2, PluLine(1, "00000100") + PluLine(2, "00000101")}}},
      {"--nak 1 --alter-plu 2: a refused record does not count",
       {"--nak", "1", "--alter-plu", "2"},
       "",
       {{2001, {{PluPacket(1, "00000100"), "15"}, {PluPacket(2, "00000100"), "06"}, {PluPacket(3, "00000100"), "06"}}},
        {2001, {{PluPacket(4, "00000100"), "15"}, {PluPacket(5, "00000100"), "06"}}}},
       {{1, PluLine(2, "00000100") + PluLine(3, "00000101") + PluLine(5, "00000100")}}},
  };
  for (const StoreCase& c : cases) RunStoreCase(c);
}

TEST_F(FaultsTest, ShowListsTheAlteredPrice) {
  // Whole PLU records: APPLES 12.50, then PEARS 1.99, the second one altered.
  const std::string apples = "00000123002210000D20000000125011052500123000000107064150504C45530C00";
  const std::string pears = "00000077002110000D200000000199111421220007700001070550454152530C00";
  ASSERT_TRUE(StartSim({"--alter-plu", "2"}));
  ASSERT_TRUE(Connect());
  EXPECT_EQ(client_.Ask("F125" + apples, 1), "06");
  EXPECT_EQ(client_.Ask("F125" + pears, 1), "06");
  client_.Close();
  ASSERT_TRUE(sim_.Stop());
  auto shown = testing_support::RunProgram(testing_support::BinPath("scalesim"),
                                           {"show", "--store", dir_.File("store")}, dir_.path());
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("PLUs: 2\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("\n      77        2.00 weighed"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("\n     123       12.50 weighed"), std::string::npos) << shown.out;
}

TEST_F(FaultsTest, NakRefusesRequestsAndCarriesNothingOut) {
  const std::string five = kTable[0], six = kTable[1], seven = kTable[2];
  const StoreCase cases[] = {
      {"--nak 1: each connection's first request",
       {"--nak", "1"},
       kTableFile,
       {{2001, {{"F1250000000800070A", "15"}, {"F72500000007", "E200000000"}}},  // not stored
        {2001, {{"F225", "15"}, {"F72500000000", five}}},                        // not cleared
        {2001, {{"F72500000000", "15"}, {"F72500000000", five}}},                // a read answered 15
        {2001, {{"E2", "15"}, {"F32500000005", "06"}}}},                         // garbage counts too
       {{1, "25 00000006000700\n25 0000000700080B0C\n"}}},
      {"--nak 2 --nak 3: several requests",
       {"--nak", "2", "--nak", "3"},
       kTableFile,
       {{2001, {{"F32500000005", "06"}, {"F32500000006", "15"}, {"F225", "15"}, {"F72500000000", six}}}},
       {{1, "25 00000006000700\n25 0000000700080B0C\n"}}},
      {"--nak-keys: every key packet, on every connection",
       {"--nak-keys"},
       kTableFile,
       {{2001, {{"F32500000005", "15"}, {"F32E00000001", "15"}, {"F72500000000", five}}},
        {2001, {{"F32500000006", "15"}, {"F1250000000800070A", "06"}, {"F72500000007", "0000000800070A"}}}},
       {{1, std::string(kTableFile) + "25 0000000800070A\n"}}},
      {"--nak 2 --reply: the refusal is 15 all the same",
       {"--nak", "2", "--reply", "E3010203"},
       kTableFile,
       {{2001, {{"F72500000000", "E3010203"}, {"F32500000005", "15"}, {"F72500000000", "E3010203"}}}},
       {{1, kTableFile}}},
      {"--nak 1 --short-reply 3: not padded",
       {"--nak", "1", "--short-reply", "3"},
       kTableFile,
       {{2001, {{"F72500000000", "15"}, {"F72500000000", "000000"}}}},
       {{1, kTableFile}}},
      {"--nak 1 --records-per-reply 2",
       {"--nak", "1", "--records-per-reply", "2"},
       kTableFile,
       {{2001, {{"F72500000000", "15"}, {"F72500000000", five + six}}}},
       {{1, kTableFile}}},
      {"--nak 1 --new-keys: a refused read hands out no key",
       {"--nak", "1", "--new-keys"},
       kTableFile,
       {{2001, {{"F72500000000", "15"}, {"F72500000000", "0000000100080000"}}}},
       {{1, kTableFile}}},
  };
  for (const StoreCase& c : cases) RunStoreCase(c);
}

TEST_F(FaultsTest, NakRepliesAreLoggedAndHeldLikeAnyReply) {
  ASSERT_TRUE(StartSim({"--nak", "2", "--delay-ms", "200"}));
  ASSERT_TRUE(Connect());
  for (const Step& step : {Step{"F72500000000", "E200000000"}, Step{"F1250000000500070A", "15"}}) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client_.Ask(step.request, step.reply.size() / 2), step.reply) << step.request;
    EXPECT_GE(Since(start), std::chrono::milliseconds(190)) << step.request;
  }
  client_.Close();
  ASSERT_TRUE(sim_.Stop());
  EXPECT_EQ(sim_.Log(), "2001 open\n2001 > F72500000000\n2001 < E200000000\n2001 > F1250000000500070A\n2001 < 15\n"
                        "2001 close\n");
  EXPECT_EQ(ReadFile(dir_.File("store") + "/001/tables.hex"), "<missing>");  // nothing was stored
}

TEST_F(FaultsTest, NakUnderNoAnswerSendsNothingAndCarriesNothingOut) {
  ASSERT_TRUE(StartSim({"--nak", "1", "--no-answer"}));
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(client_.SendHex("F1250000000500070A" "F1250000000600070A"));
  EXPECT_EQ(client_.ReceiveHex(1, 300), "");
  client_.Close();
  ASSERT_TRUE(sim_.Stop());
  EXPECT_EQ(sim_.Log(), "2001 open\n2001 > F1250000000500070A\n2001 > F1250000000600070A\n2001 close\n");
  EXPECT_EQ(ReadFile(dir_.File("store") + "/001/tables.hex"), "25 0000000600070A\n");
}

TEST_F(FaultsTest, IdleTimeoutClosesQuietConnectionsSoOthersGetIn) {
  ASSERT_TRUE(StartSim({"--idle-timeout", "1"}));
  // A client that keeps asking stays.
  ASSERT_TRUE(Connect());
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(client_.Ask("F72500000000", 5), "E200000000") << i;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  EXPECT_FALSE(client_.closed());
  // Quiet clients fill every place; the one behind them waits in the backlog
  // until the first of them are closed.
  std::vector<std::unique_ptr<RawClient>> quiet;
  for (int i = 0; i < 64; ++i) {
    quiet.push_back(std::make_unique<RawClient>());
    ASSERT_TRUE(quiet.back()->Connect(address_, 2001)) << i;
  }
  auto start = std::chrono::steady_clock::now();
  RawClient late;
  ASSERT_TRUE(late.Connect(address_, 2001));
  EXPECT_EQ(late.Ask("F72500000000", 5), "E200000000");
  EXPECT_GE(Since(start), std::chrono::milliseconds(500));
  EXPECT_EQ(quiet[0]->ReceiveHex(1), "");
  EXPECT_TRUE(quiet[0]->closed());
  late.Close();
  ASSERT_TRUE(sim_.Stop());
  std::string log = sim_.Log();
  // The quiet connections were closed, and that logged, before the late one came in.
  EXPECT_LT(log.find("2001 close\n"), log.rfind("2001 open\n")) << log;
}

TEST_F(FaultsTest, RefusesBadCommandLines) {
  // Should a line be taken, the emulator listens on the test's own address.
  const std::string listen = address_ + ":2001";
  // "serve" with a store and that address, then the options.
  auto serve = [&](std::vector<std::string> options) {
    options.insert(options.begin(), {"serve", "--store", "s", "--listen", listen});
    return options;
  };
  const std::vector<std::vector<std::string>> lines = {
      {"serve"},
      {"serve", "--store", "s"},
      {"serve", "--store", "s", "--listen", address_},
      {"serve", "--store", "s", "--listen", address_ + ":1999"},
      {"serve", "--store", "s", "--listen", "localhost:2001"},
      serve({"--short-reply", "4"}),
      serve({"--reply", "0"}),
      serve({"--close-after", "0"}),
      serve({"--bogus"}),
      serve({"--split-reply", "x"}),
      serve({"--records-per-reply", "0"}),
      serve({"--records-per-reply", "101"}),
      serve({"--cycle-keys", "0"}),
      serve({"--idle-timeout", "-1"}),
      serve({"--idle-timeout"}),
      serve({"--alter-plu", "0"}),
      serve({"--drop-plu", "x"}),
      serve({"--nak", "0"}),
      serve({"--nak"}),
      serve({"--nak-keys", "1"}),
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
