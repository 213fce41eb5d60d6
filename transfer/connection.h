// Connections to scales: where a scale listens, the table of open
// connections, and one open connection that closes itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/message_sink.h"
#include "common/status.h"
#include "platform/sockets.h"
#include "transfer/run_settings.h"

namespace transfer {

constexpr int kConnectionCount = 20;
constexpr int kConnectWaitMs = 3000;
constexpr int kScalePortBase = 2000;
// The only protocol a connection can be asked for.
extern const char kTcpProtocolName[];

// Codes of a failed Connect. The transfer shows them in "Connection error"
// only.
constexpr int kConnectNoSocket = -1;
constexpr int kConnectWrongProtocol = -2;
constexpr int kConnectLookupFailed = -3;
constexpr int kConnectFailed = -5;
constexpr int kConnectNoFreeEntry = -6;

// The code of a failed Send, and what Receive gives on a socket error.
constexpr int kSendFailed = -7;
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
  // Console messages go to messages.
  ConnectionTable(TransferMode mode, int reply_wait_ms, common::MessageSink& messages);
  ~ConnectionTable();
  ConnectionTable(const ConnectionTable&) = delete;
  ConnectionTable& operator=(const ConnectionTable&) = delete;

  // Connects to the host on the port (ignored in DHCP mode), waiting at most
  // kConnectWaitMs, and takes the free entry with the lowest index, whose
  // index is the connection handle. A failure's code is a kConnect... code,
  // its message the cause in words. Prints "Error %d", "getservbyname Error
  // %d" and "Connect error %d" as they occur.
  // port_used: the port it connected to (DHCP mode: the one from the address).
  common::Status Connect(const std::string& host, const std::string& protocol, int port, int* handle,
                         int* port_used = nullptr);

  // Hands the packet over, waiting at most the reply time limit for the
  // scale to take it. A failure's code is the socket error number
  // (kSocketErrorTimedOut when the scale did not take it in time), its
  // message the cause in words.
  common::Status Send(int handle, const std::uint8_t* bytes, std::size_t count);

  // One receive of at most capacity bytes, waiting at most the reply time
  // limit: the count, 0 when the scale closed the connection, kReceiveFailed
  // on an error or when no reply came in time (socket_error tells which).
  long Receive(int handle, std::uint8_t* buffer, std::size_t capacity, int* socket_error = nullptr);
  // The same with a wait of its own (0: only what has already come).
  long ReceiveWithin(int handle, std::uint8_t* buffer, std::size_t capacity, int wait_ms, int* socket_error);

  // Shuts down sending, closes the socket and frees the entry.
  void Close(int handle);

  int reply_wait_ms() const { return reply_wait_ms_; }
  common::MessageSink& messages() const { return messages_; }

 private:
  // The port in its network form; 0 (after a message) when it is no number
  // from 1 up and no service of that name exists.
  std::uint16_t NetworkPort(int port);

  TransferMode mode_;
  int reply_wait_ms_;
  common::MessageSink& messages_;
  platform::SocketHandle sockets_[kConnectionCount];
};

// One open connection of a table: closed when it goes out of scope, unless
// it was released to stay open until the program ends.
class OpenConnection {
 public:
  // label names the scale in messages ("scale 001").
  OpenConnection(ConnectionTable& table, int handle, std::string label = std::string())
      : table_(table), handle_(handle), label_(std::move(label)) {}
  ~OpenConnection() { Close(); }
  OpenConnection(const OpenConnection&) = delete;
  OpenConnection& operator=(const OpenConnection&) = delete;

  common::Status Send(const std::uint8_t* bytes, std::size_t count) { return table_.Send(handle_, bytes, count); }
  long Receive(std::uint8_t* buffer, std::size_t capacity, int* socket_error = nullptr) {
    return table_.Receive(handle_, buffer, capacity, socket_error);
  }
  long ReceiveWithin(std::uint8_t* buffer, std::size_t capacity, int wait_ms, int* socket_error) {
    return table_.ReceiveWithin(handle_, buffer, capacity, wait_ms, socket_error);
  }
  void Close() {
    if (handle_ >= 0) table_.Close(handle_);
    handle_ = -1;
  }
  // Leaves the connection open; its handle.
  int Release() {
    int handle = handle_;
    handle_ = -1;
    return handle;
  }

  int handle() const { return handle_; }
  const ConnectionTable& table() const { return table_; }
  const std::string& label() const { return label_; }

 private:
  ConnectionTable& table_;
  int handle_;
  std::string label_;
};

// The cause of a socket error number in words ("connection refused").
std::string SocketErrorText(int socket_error);

}  // namespace transfer
