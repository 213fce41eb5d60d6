#include "transfer/connection.h"

#include <cstdio>
#include <mutex>

#include "base/decimal_text.h"

namespace transfer {

namespace {

constexpr std::size_t kShortestScaleNumber = 3;
constexpr unsigned kPortMask = 0xFFFF;
// What a receive that failed gave as its count.
constexpr long kReceiveFailedCount = -8;

struct SocketErrorRow {
  int socket_error;
  const char* text;
};

const SocketErrorRow kSocketErrorTexts[] = {
    {platform::kSocketErrorConnectionRefused, "connection refused"},
    {platform::kSocketErrorTimedOut, "timed out"},
    {platform::kSocketErrorConnectionReset, "connection reset by the scale"},
    {platform::kSocketErrorHostUnreachable, "host unreachable"},
    {platform::kSocketErrorNetworkUnreachable, "network unreachable"},
    {platform::kSocketErrorAddressNotAvailable, "address not available"},
    {platform::kSocketErrorHostNotFound, "host name not found"},
    {platform::kSocketErrorTryAgain, "host name lookup failed for now"},
    {platform::kSocketErrorNoRecovery, "host name lookup failed"},
    {platform::kSocketErrorNoData, "host name has no IPv4 address"},
};

}  // namespace

std::string SocketErrorText(int socket_error) {
  for (const SocketErrorRow& row : kSocketErrorTexts) {
    if (row.socket_error == socket_error) return row.text;
  }
  return "socket error " + std::to_string(socket_error);
}

ScaleLocation FindScale(const std::string& scale_argument, common::TransferMode mode) {
  ScaleLocation location;
  if (mode == common::TransferMode::kDhcp) {
    location.host = scale_argument;
    return location;
  }
  std::string number = scale_argument;
  if (number.size() < kShortestScaleNumber) number.insert(0, kShortestScaleNumber - number.size(), '0');
  location.host = "S0" + number;
  location.port = kScalePortBase + base::LeadingDecimalValue(scale_argument);
  return location;
}

std::string DottedText(std::uint32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFFu, (address >> 16) & 0xFFu,
                (address >> 8) & 0xFFu, address & 0xFFu);
  return text;
}

int PortFromDottedText(const std::string& dotted) {
  std::string::size_type dot = dotted.rfind('.');
  if (dot == std::string::npos) return kScalePortBase;
  return kScalePortBase + base::LeadingDecimalValue(dotted.substr(dot + 1));
}

int ConnectFailureNumber(ConnectFailure failure) {
  switch (failure) {
    case ConnectFailure::kNoSocket: return -1;
    case ConnectFailure::kLookupFailed:
    case ConnectFailure::kNotAScale: return -3;
    case ConnectFailure::kRefused: return -5;
    case ConnectFailure::kNoFreeEntry: return -6;
    case ConnectFailure::kOk: break;
  }
  return 0;
}

bool IsScaleAddress(std::uint32_t address) {
  const std::uint32_t first = address >> 24;
  return first != 0 && (first & 0xF0) != 0xE0 && address != 0xFFFFFFFFu;
}

long ReceiveCount(const LinkStatus& status) {
  if (status.code() == LinkFailure::kClosed) return 0;
  return kReceiveFailedCount;
}

ConnectionTable::ConnectionTable(common::TransferMode mode, int reply_wait_ms)
    : mode_(mode), reply_wait_ms_(reply_wait_ms) {
  for (platform::SocketHandle& socket : sockets_) socket = platform::kInvalidSocket;
}

ConnectionTable::~ConnectionTable() {
  for (int handle = 0; handle < kConnectionCount; ++handle) {
    if (sockets_[handle] != platform::kInvalidSocket) Close(handle);
  }
}

ConnectStatus ConnectionTable::Connect(const std::string& host, int port, int* handle, int* port_used) {
  int free = 0;
  while (free < kConnectionCount && sockets_[free] != platform::kInvalidSocket) ++free;
  if (free == kConnectionCount) return ConnectStatus::Error(ConnectFailure::kNoFreeEntry, "no free connection");

  int error = 0;
  platform::SocketHandle socket = platform::CreateStreamSocket(&error);
  if (socket == platform::kInvalidSocket) {
    return ConnectStatus::Error(ConnectFailure::kNoSocket, "no socket: " + SocketErrorText(error), error);
  }
  std::uint32_t address = 0;
  bool found;
  {
    // Not every resolver may be called from several threads at once (name
    // service modules, test stand-ins): lookups take turns. They are quick;
    // the connects, which wait, do not.
    static std::mutex lookup_lock;
    std::lock_guard<std::mutex> hold(lookup_lock);
    found = platform::LookupHostAddress(host.c_str(), &address, &error);
  }
  if (!found) {
    platform::CloseSocket(socket);
    if (error == platform::kSocketErrorHostNotFound || error == platform::kSocketErrorNoData) {
      return ConnectStatus::Error(ConnectFailure::kLookupFailed, "host name " + host + " not found", error);
    }
    return ConnectStatus::Error(ConnectFailure::kLookupFailed,
                                "host name " + host + " could not be looked up (" + SocketErrorText(error) + ")",
                                error);
  }
  if (mode_ == common::TransferMode::kDhcp) port = PortFromDottedText(DottedText(address));
  *port_used = port;

  if (!IsScaleAddress(address) || port <= 0 || port > static_cast<int>(kPortMask)) {
    platform::CloseSocket(socket);
    return ConnectStatus::Error(ConnectFailure::kNotAScale,
                                "not a scale's address: " + DottedText(address) + ":" + std::to_string(port));
  }
  (void)platform::SetReceiveWait(socket, reply_wait_ms_);
  const std::uint16_t network_port = static_cast<std::uint16_t>(static_cast<unsigned>(port) & kPortMask);
  int connect_error = platform::ConnectSocket(socket, address, network_port, kConnectWaitMs);
  if (connect_error != 0) {
    platform::CloseSocket(socket);
    if (connect_error == platform::kSocketErrorTimedOut) {
      return ConnectStatus::Error(ConnectFailure::kRefused, "no answer to the connection within 3 s", connect_error);
    }
    return ConnectStatus::Error(ConnectFailure::kRefused, SocketErrorText(connect_error), connect_error);
  }
  sockets_[free] = socket;
  *handle = free;
  return ConnectStatus::Ok();
}

LinkStatus ConnectionTable::Send(int handle, const std::uint8_t* bytes, std::size_t count) {
  int error = 0;
  if (platform::SendOnSocket(sockets_[handle], bytes, count, reply_wait_ms_, &error) < 0) {
    return LinkStatus::Error(error == platform::kSocketErrorTimedOut ? LinkFailure::kTimedOut : LinkFailure::kFailed,
                             "could not send: " + SocketErrorText(error), error);
  }
  return LinkStatus::Ok();
}

namespace {

// A receive's outcome: more than 0 bytes, 0 (closed) or -1 with the error.
LinkStatus Received(long received, int error, std::size_t* count) {
  *count = received > 0 ? static_cast<std::size_t>(received) : 0;
  if (received > 0) return LinkStatus::Ok();
  if (received == 0) return LinkStatus::Error(LinkFailure::kClosed, "closed the connection");
  if (error == platform::kSocketErrorTimedOut) return LinkStatus::Error(LinkFailure::kTimedOut, "timed out", error);
  return LinkStatus::Error(LinkFailure::kFailed, SocketErrorText(error), error);
}

}  // namespace

LinkStatus ConnectionTable::Receive(int handle, std::uint8_t* buffer, std::size_t capacity, std::size_t* count) {
  // The socket waits the reply time limit itself (set at the connect): one
  // call of the system a reply.
  int error = 0;
  const long received = platform::ReceiveOnSocket(sockets_[handle], buffer, capacity, &error);
  return Received(received, error, count);
}

LinkStatus ConnectionTable::ReceiveWithin(int handle, std::uint8_t* buffer, std::size_t capacity, int wait_ms,
                                          std::size_t* count) {
  int error = 0;
  const long received = platform::ReceiveFromSocket(sockets_[handle], buffer, capacity, wait_ms, &error);
  return Received(received, error, count);
}

void ConnectionTable::Close(int handle) {
  platform::CloseSocket(sockets_[handle]);
  sockets_[handle] = platform::kInvalidSocket;
}

}  // namespace transfer
