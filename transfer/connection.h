// Connections to scales: where a scale listens, and the table of open
// connections with connect, send, receive and close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sockets.h"
#include "transfer/run_settings.h"

namespace transfer {

constexpr int kConnectionCount = 20;
constexpr int kConnectWaitMs = 3000;
constexpr int kScalePortBase = 2000;
// The only protocol a connection can be asked for.
extern const char kTcpProtocolName[];

// Codes of Connect. The transfer shows them in "Connection error" only.
constexpr int kConnectNoSocket = -1;
constexpr int kConnectWrongProtocol = -2;
constexpr int kConnectLookupFailed = -3;
constexpr int kConnectFailed = -5;
constexpr int kConnectNoFreeEntry = -6;

// Results of Send and Receive on a socket error.
constexpr long kSendFailed = -7;
constexpr long kReceiveFailed = -8;

// Where a scale listens. Scale-number mode: host "S0" + the argument made at
// least three characters long, port 2000 + its number (7: S0007, 2007).
// DHCP mode: the argument is the host; the port follows from its address
// during Connect, and port here is 0.
struct ScaleLocation {
  std::string host;
  int port = 0;
};
ScaleLocation FindScale(const std::string& scale_argument, TransferMode mode);

// An IPv4 address (host byte order) as dotted decimal text.
std::string DottedText(std::uint32_t address);

// DHCP mode's port: 2000 + the number after the last "." of the dotted text
// (192.168.1.37 gives 2037); 2000 when there is no ".".
int PortFromDottedText(const std::string& dotted);

class ConnectionTable {
 public:
  ConnectionTable(TransferMode mode, int reply_wait_ms);
  ~ConnectionTable();
  ConnectionTable(const ConnectionTable&) = delete;
  ConnectionTable& operator=(const ConnectionTable&) = delete;

  // Connects to the host on the port (ignored in DHCP mode), waiting at most
  // kConnectWaitMs, and takes the free entry with the lowest index. The
  // entry's index (the connection handle), or a kConnect... code. Prints
  // "Error %d", "getservbyname Error %d" and "Connect error %d" as they occur.
  int Connect(const std::string& host, const std::string& protocol, int port);

  // Hands the packet over in one call: its length, or kSendFailed.
  long Send(int handle, const std::uint8_t* bytes, std::size_t count);

  // One receive of at most capacity bytes, waiting at most the reply time
  // limit: the count, 0 when the scale closed the connection, kReceiveFailed
  // on an error or when no reply came in time.
  long Receive(int handle, std::uint8_t* buffer, std::size_t capacity);

  // Shuts down sending, closes the socket and frees the entry.
  void Close(int handle);

 private:
  struct Entry {
    platform::SocketHandle socket = platform::kInvalidSocket;
    std::uint32_t peer_address = 0;
    std::uint16_t peer_port = 0;
  };

  // The port in its network form; 0 (after a message) when it is no number
  // from 1 up and no service of that name exists.
  static std::uint16_t NetworkPort(int port);

  TransferMode mode_;
  int reply_wait_ms_;
  Entry entries_[kConnectionCount];
};

}  // namespace transfer
