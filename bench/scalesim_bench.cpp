// Times the scale emulator as the transfer program uses it: a lock-step
// load of 100,000 PLU-sized records, a paired read of them all (read, then
// key), and the store written when the emulator stops. Beside it, the same
// count of 1-byte round trips against a bare echo server on the loopback,
// so that what the emulator adds per request can be read off. Last, 8 scales
// under --delay-ms 1 with 8 clients at once, 500 round trips each: one poll
// loop must hold each connection's replies on its own, so every client sees
// about the 1 ms of one delay per round trip, as one client alone does, not
// the 8 ms of delays served one after the other.
//
//   scalesim_bench [records] [log]   ("log": with the packet log on, as the tests run it)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench_process.h"

namespace {

constexpr long kDefaultRecords = 100000;
constexpr const char* kAddress = "127.0.0.77";
constexpr int kPort = 2001;
constexpr int kEchoPort = 2998;
// What the emulator may add to a loopback round trip, per request.
constexpr double kTargetOverheadMicroseconds = 20.0;
// The delay run: this many scales (ports 2101...), one client each, this many
// round trips a client, under --delay-ms kDelayMs.
constexpr int kDelayScales = 8;
constexpr int kDelayFirstPort = 2101;
constexpr long kDelayRoundTrips = 500;
constexpr int kDelayMs = 1;
// A client among the 8 may take at most this many times what one client
// alone takes per round trip (8 would be delays served one after another).
constexpr double kDelayTargetRatio = 1.5;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

int Connect(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, kAddress, &sa.sin_addr);
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// One request, one reply: what one receive call returns, like the client.
long Exchange(int fd, const unsigned char* request, size_t size, unsigned char* reply, size_t capacity) {
  if (send(fd, request, size, 0) != static_cast<ssize_t>(size)) return -1;
  return recv(fd, reply, capacity, 0);
}

void EchoServer(int listener, long count) {
  int fd = accept(listener, nullptr, nullptr);
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  unsigned char byte;
  for (long i = 0; i < count && recv(fd, &byte, 1, 0) == 1; ++i) send(fd, &byte, 1, 0);
  close(fd);
}

double EchoRoundTripMicroseconds(long count) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = htons(kEchoPort);
  inet_pton(AF_INET, kAddress, &sa.sin_addr);
  if (bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(listener, 1) != 0) return -1;
  std::thread server(EchoServer, listener, count);
  int fd = Connect(kEchoPort);
  unsigned char byte = 0x06, reply[16];
  auto start = Clock::now();
  for (long i = 0; i < count; ++i) Exchange(fd, &byte, 1, reply, sizeof reply);
  double seconds = Seconds(start);
  close(fd);
  server.join();
  close(listener);
  return seconds * 1e6 / static_cast<double>(count);
}

// Reads exactly size bytes; false if the connection ends first.
bool ReceiveAll(int fd, unsigned char* bytes, size_t size) {
  for (size_t got = 0; got < size;) {
    ssize_t n = recv(fd, bytes + got, size - got, 0);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

// Round trips of a read (of an empty table: the 5-byte end reply) on the
// connected socket; the milliseconds each took on average, -1 on failure.
double DelayedRoundTripMs(int fd, long round_trips) {
  if (fd < 0) return -1;
  const unsigned char read[6] = {0xF7, 0x25, 0, 0, 0, 0};
  unsigned char reply[5];
  auto start = Clock::now();
  for (long i = 0; i < round_trips; ++i) {
    if (send(fd, read, sizeof read, 0) != static_cast<ssize_t>(sizeof read) || !ReceiveAll(fd, reply, sizeof reply) ||
        reply[0] != 0xE2) {
      return -1;
    }
  }
  return Seconds(start) * 1e3 / static_cast<double>(round_trips);
}

struct DelayResult {
  double alone_ms = -1;     // one client alone, per round trip
  double mean_ms = -1;      // the clients at once: their mean per round trip
  double slowest_ms = -1;   // and the slowest client's
};

// One emulator with kDelayScales listeners under --delay-ms: first one client
// alone, then one client per listener, all at once.
DelayResult MeasureDelays(const std::string& dir) {
  DelayResult result;
  if (mkdir(dir.c_str(), 0700) != 0) return result;
  std::vector<std::string> listen;
  for (int i = 0; i < kDelayScales; ++i) listen.push_back(std::string(kAddress) + ":" + std::to_string(kDelayFirstPort + i));
  bench::ChildProcess sim;
  if (!bench::StartScale(&sim, dir, dir + "/store", listen, {"--delay-ms", std::to_string(kDelayMs)})) return result;
  int fd = Connect(kDelayFirstPort);
  result.alone_ms = DelayedRoundTripMs(fd, kDelayRoundTrips);
  if (fd >= 0) close(fd);
  std::vector<int> fds;
  for (int i = 0; i < kDelayScales; ++i) fds.push_back(Connect(kDelayFirstPort + i));
  std::vector<double> ms(kDelayScales, -1);
  std::vector<std::thread> clients;
  for (int i = 0; i < kDelayScales; ++i) {
    clients.emplace_back([&, i] { ms[i] = DelayedRoundTripMs(fds[i], kDelayRoundTrips); });
  }
  for (std::thread& t : clients) t.join();
  for (int f : fds) {
    if (f >= 0) close(f);
  }
  bench::StopScale(&sim);
  double sum = 0;
  for (double m : ms) {
    if (m < 0) return result;
    sum += m;
    if (m > result.slowest_ms) result.slowest_ms = m;
  }
  result.mean_ms = sum / kDelayScales;
  return result;
}

void PutPacked(unsigned long value, unsigned char* out) {
  for (int i = 3; i >= 0; --i) {
    out[i] = static_cast<unsigned char>((value % 10) | ((value / 10 % 10) << 4));
    value /= 100;
  }
}

}  // namespace

int main(int argc, char** argv) {
  long records = argc > 1 ? std::atol(argv[1]) : kDefaultRecords;
  if (records <= 0) records = kDefaultRecords;
  const bench::TempFolder folder("scalesim-bench");
  const std::string& dir = folder.path();
  if (dir.empty()) return 1;
  std::string listen_at = std::string(kAddress) + ":" + std::to_string(kPort);
  bool with_log = argc > 2 && std::strcmp(argv[2], "log") == 0;
  std::vector<std::string> log_option;
  if (with_log) log_option = {"--log", dir + "/log"};
  bench::ChildProcess sim;
  if (!bench::StartScale(&sim, dir, dir + "/store", {listen_at}, log_option)) return 1;

  double echo_us = EchoRoundTripMicroseconds(records);
  int fd = Connect(kPort);
  if (fd < 0) return 1;
  // A PLU-sized record: 40 bytes with a 14-letter name.
  unsigned char packet[64] = {0xF1, 0x25};
  const size_t kRecordLength = 40;
  unsigned char reply[12288];
  auto start = Clock::now();
  for (long i = 1; i <= records; ++i) {
    std::memset(packet + 2, 0x41, kRecordLength);
    PutPacked(static_cast<unsigned long>(i), packet + 2);
    packet[6] = 0;
    packet[7] = kRecordLength;
    if (Exchange(fd, packet, kRecordLength + 2, reply, sizeof reply) != 1) return 2;
  }
  double load_s = Seconds(start);
  // Closing the connection writes the store; the emulator answers the next
  // connection only after that.
  close(fd);
  start = Clock::now();
  fd = Connect(kPort);
  unsigned char probe[6] = {0xF7, 0x26, 0, 0, 0, 0};
  if (fd < 0 || Exchange(fd, probe, 6, reply, sizeof reply) <= 0) return 2;
  double persist_s = Seconds(start);

  unsigned char read[6] = {0xF7, 0x25, 0, 0, 0, 0}, key[6] = {0xF3, 0x25, 0, 0, 0, 0};
  long read_records = 0;
  start = Clock::now();
  for (;;) {
    long n = Exchange(fd, read, 6, reply, sizeof reply);
    if (n <= 0) return 3;
    std::memcpy(key + 2, read + 2, 4);
    if (Exchange(fd, key, 6, reply + 6144, 16) != 1) return 4;
    if (reply[0] == 0xE2) break;
    ++read_records;
    std::memcpy(read + 2, reply, 4);
  }
  double read_s = Seconds(start);
  close(fd);
  start = Clock::now();
  const bool stopped_well = bench::StopScale(&sim);
  double stop_s = Seconds(start);

  DelayResult delays = MeasureDelays(dir + "/delay");

  double load_us = load_s * 1e6 / static_cast<double>(records);
  double read_us = read_s * 1e6 / static_cast<double>(2 * records + 2);
  std::printf("records                 %ld (read back %ld)%s\n", records, read_records,
              with_log ? ", packet log on" : "");
  std::printf("loopback echo           %.2f us per round trip\n", echo_us);
  std::printf("record load             %.2f us per request (%.0f records/s)\n", load_us,
              static_cast<double>(records) / load_s);
  std::printf("paired read             %.2f us per request\n", read_us);
  std::printf("emulator overhead       load %.2f us, read %.2f us (target < %.0f us)\n", load_us - echo_us,
              read_us - echo_us, kTargetOverheadMicroseconds);
  std::printf("store written at close  %.3f s (%ld records)\n", persist_s, records);
  std::printf("stop (store written)    %.3f s\n", stop_s);
  std::printf("delay %d ms, one client   %.3f ms per round trip (%ld round trips)\n", kDelayMs, delays.alone_ms,
              kDelayRoundTrips);
  std::printf("delay %d ms, %d at once    %.3f ms per round trip, slowest client %.3f ms (target < %.1f x alone)\n",
              kDelayMs, kDelayScales, delays.mean_ms, delays.slowest_ms, kDelayTargetRatio);
  bool delays_met = delays.alone_ms > 0 && delays.slowest_ms > 0 && delays.slowest_ms < kDelayTargetRatio * delays.alone_ms;
  bool met = load_us - echo_us < kTargetOverheadMicroseconds && read_us - echo_us < kTargetOverheadMicroseconds &&
             delays_met;
  std::printf("%s\n", met ? "target met" : "target NOT met");
  return met && read_records == records && stopped_well ? 0 : 6;
}
