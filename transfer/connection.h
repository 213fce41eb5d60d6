// Connections to scales: where a scale listens, the table of open
// connections, and one open connection that closes itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/status.h"
#include "common/scale_file_names.h"
#include "platform/sockets.h"

namespace transfer {

constexpr int kConnectionCount = 20;
constexpr int kConnectWaitMs = 3000;
constexpr int kScalePortBase = 2000;

// Why a connection could not be made. Each has the number that the message
// "Connection error %x" shows (ConnectFailureNumber); system_error() is the
// socket error number behind it.
enum class ConnectFailure {
  kOk = 0,
  kNoSocket,      // no socket could be made: "Error %d"
  kLookupFailed,  // the host name could not be looked up: "Error %d"
  kRefused,       // refused, not answered within 3 s, unreachable: "Connect error %d"
  kNoFreeEntry,   // every entry of the table is taken
  kNotAScale,     // the address or port can be no scale's: 0.0.0.0/8, multicast, broadcast, port 0
};
using ConnectStatus = base::Status<ConnectFailure>;

// -1, -3, -5, -6 (-3 also for an address or port that can be no scale's).
int ConnectFailureNumber(ConnectFailure failure);

// True for an IPv4 address (host byte order) that can be a scale's: not in
// 0.0.0.0/8 (which the system hands to any local listener), not multicast
// (224.0.0.0/4), not the broadcast address.
bool IsScaleAddress(std::uint32_t address);

// What became of a send or a receive; system_error() is the socket error
// number (kSocketErrorTimedOut when the time limit ran out).
enum class LinkFailure {
  kOk = 0,
  kTimedOut,  // nothing came, or the scale did not take it, in time
  kClosed,    // the scale closed the connection
  kFailed,    // any other socket error
};
using LinkStatus = base::Status<LinkFailure>;

// What a receive gave as a count: 0 when the scale closed the connection,
// -8 on an error or when nothing came in time ("Nread control %ld").
long ReceiveCount(const LinkStatus& status);

// Where a scale listens. Scale-number mode: host "S0" + the argument made at
// least three characters long, port 2000 + its number (7: S0007, 2007).
// DHCP mode: the argument is the host; the port follows from its address
// during Connect, and port here is 0.
struct ScaleLocation {
  std::string host;
  int port = 0;
};
ScaleLocation FindScale(const std::string& scale_argument, common::TransferMode mode);

// An IPv4 address (host byte order) as dotted decimal text.
std::string DottedText(std::uint32_t address);

// DHCP mode's port: 2000 + the number after the last "." of the dotted text
// (192.168.1.37 gives 2037); 2000 when there is no ".".
int PortFromDottedText(const std::string& dotted);

class ConnectionTable {
 public:
  ConnectionTable(common::TransferMode mode, int reply_wait_ms);
  ~ConnectionTable();
  ConnectionTable(const ConnectionTable&) = delete;
  ConnectionTable& operator=(const ConnectionTable&) = delete;

  // Connects to the host on the port (in host byte order; ignored in DHCP
  // mode, where it follows from the address), waiting at most
  // kConnectWaitMs, and takes the free entry with the lowest index, whose
  // index is the connection handle. port_used: the port it connected to. An
  // address or port that can be no scale's is not connected to. A failure's
  // message is the cause in words.
  ConnectStatus Connect(const std::string& host, int port, int* handle, int* port_used);

  // Hands the packet over, waiting at most the reply time limit for the
  // scale to take it.
  LinkStatus Send(int handle, const std::uint8_t* bytes, std::size_t count);

  // One receive of at most capacity bytes, waiting at most the reply time
  // limit: the count (more than 0) when something came.
  LinkStatus Receive(int handle, std::uint8_t* buffer, std::size_t capacity, std::size_t* count);
  // The same with a wait of its own (0: only what has already come).
  LinkStatus ReceiveWithin(int handle, std::uint8_t* buffer, std::size_t capacity, int wait_ms, std::size_t* count);

  // Shuts down sending, closes the socket and frees the entry.
  void Close(int handle);

  int reply_wait_ms() const { return reply_wait_ms_; }

 private:
  common::TransferMode mode_;
  int reply_wait_ms_;
  platform::SocketHandle sockets_[kConnectionCount];
};

// One open connection of a table: closed when it goes out of scope, unless
// it was released to stay open until the program ends.
class OpenConnection {
 public:
  // label names the scale in messages ("scale 001 (S0001:2001)").
  OpenConnection(ConnectionTable& table, int handle, std::string label = std::string())
      : table_(table), handle_(handle), label_(std::move(label)) {}
  ~OpenConnection() { Close(); }
  OpenConnection(const OpenConnection&) = delete;
  OpenConnection& operator=(const OpenConnection&) = delete;

  LinkStatus Send(const std::uint8_t* bytes, std::size_t count) { return table_.Send(handle_, bytes, count); }
  LinkStatus Receive(std::uint8_t* buffer, std::size_t capacity, std::size_t* count) {
    return table_.Receive(handle_, buffer, capacity, count);
  }
  LinkStatus ReceiveWithin(std::uint8_t* buffer, std::size_t capacity, int wait_ms, std::size_t* count) {
    return table_.ReceiveWithin(handle_, buffer, capacity, wait_ms, count);
  }
  void Close() {
    if (handle_ >= 0) table_.Close(handle_);
    handle_ = -1;
  }
  // Leaves the connection open until the program ends.
  void Release() { handle_ = -1; }

  int reply_wait_ms() const { return table_.reply_wait_ms(); }
  const std::string& label() const { return label_; }

 private:
  ConnectionTable& table_;
  int handle_;
  std::string label_;
};

// The cause of a socket error number in words ("connection refused").
std::string SocketErrorText(int socket_error);

}  // namespace transfer
