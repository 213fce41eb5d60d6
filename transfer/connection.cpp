#include "transfer/connection.h"

#include <cstdio>

#include "common/decimal_text.h"

namespace transfer {

const char kTcpProtocolName[] = "TCP/IP";

namespace {

constexpr std::size_t kShortestScaleNumber = 3;
constexpr unsigned kPortMask = 0xFFFF;

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

ScaleLocation FindScale(const std::string& scale_argument, TransferMode mode) {
  ScaleLocation location;
  if (mode == TransferMode::kDhcp) {
    location.host = scale_argument;
    return location;
  }
  std::string number = scale_argument;
  if (number.size() < kShortestScaleNumber) number.insert(0, kShortestScaleNumber - number.size(), '0');
  location.host = "S0" + number;
  location.port = kScalePortBase + common::LeadingDecimalValue(scale_argument);
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
  return kScalePortBase + common::LeadingDecimalValue(dotted.substr(dot + 1));
}

ConnectionTable::ConnectionTable(TransferMode mode, int reply_wait_ms, common::MessageSink& messages)
    : mode_(mode), reply_wait_ms_(reply_wait_ms), messages_(messages) {
  for (platform::SocketHandle& socket : sockets_) socket = platform::kInvalidSocket;
}

ConnectionTable::~ConnectionTable() {
  for (int handle = 0; handle < kConnectionCount; ++handle) {
    if (sockets_[handle] != platform::kInvalidSocket) Close(handle);
  }
}

std::uint16_t ConnectionTable::NetworkPort(int port) {
  const std::string text = std::to_string(port);
  if (text[0] >= '1' && text[0] <= '9') return static_cast<std::uint16_t>(static_cast<unsigned>(port) & kPortMask);
  std::uint16_t service_port = 0;
  int error = 0;
  if (!platform::LookupServicePort(text.c_str(), &service_port, &error)) {
    messages_.Print(common::Stream::kOut, "getservbyname Error %d", error);
    return 0;
  }
  return service_port;
}

common::Status ConnectionTable::Connect(const std::string& host, const std::string& protocol, int port, int* handle,
                                        int* port_used) {
  int free = 0;
  while (free < kConnectionCount && sockets_[free] != platform::kInvalidSocket) ++free;
  if (free == kConnectionCount) return common::Status::Error(kConnectNoFreeEntry, "no free connection");

  int error = 0;
  platform::SocketHandle socket = platform::CreateStreamSocket(&error);
  if (socket == platform::kInvalidSocket) {
    messages_.Print(common::Stream::kOut, "Error %d", error);
    return common::Status::Error(kConnectNoSocket, "no socket: " + SocketErrorText(error));
  }
  std::uint32_t address = 0;
  if (!platform::LookupHostAddress(host.c_str(), &address, &error)) {
    messages_.Print(common::Stream::kOut, "Error %d", error);
    platform::CloseSocket(socket);
    if (error == platform::kSocketErrorHostNotFound || error == platform::kSocketErrorNoData) {
      return common::Status::Error(kConnectLookupFailed, "host name " + host + " not found");
    }
    return common::Status::Error(kConnectLookupFailed,
                                 "host name " + host + " could not be looked up (" + SocketErrorText(error) + ")");
  }
  if (mode_ == TransferMode::kDhcp) port = PortFromDottedText(DottedText(address));
  if (port_used != nullptr) *port_used = port;
  const std::uint16_t network_port = NetworkPort(port);

  (void)platform::SetReceiveWait(socket, reply_wait_ms_);
  if (address == 0 || network_port == 0) {
    // Nothing to connect to: the entry holds the unconnected socket, and the
    // conversation fails at its first reply.
    sockets_[free] = socket;
    *handle = free;
    return common::Status::Ok();
  }
  if (protocol != kTcpProtocolName) {
    platform::CloseSocket(socket);
    return common::Status::Error(kConnectWrongProtocol, "protocol " + protocol + " is not known");
  }
  int connect_error = platform::ConnectSocket(socket, address, network_port, kConnectWaitMs);
  if (connect_error != 0) {
    platform::CloseSocket(socket);
    messages_.Print(common::Stream::kOut, "Connect error %d", connect_error);
    if (connect_error == platform::kSocketErrorTimedOut) {
      return common::Status::Error(kConnectFailed, "no answer to the connection within 3 s");
    }
    return common::Status::Error(kConnectFailed, SocketErrorText(connect_error));
  }
  sockets_[free] = socket;
  *handle = free;
  return common::Status::Ok();
}

common::Status ConnectionTable::Send(int handle, const std::uint8_t* bytes, std::size_t count) {
  int error = 0;
  if (platform::SendOnSocket(sockets_[handle], bytes, count, reply_wait_ms_, &error) < 0) {
    return common::Status::Error(error != 0 ? error : kSendFailed, "could not send: " + SocketErrorText(error));
  }
  return common::Status::Ok();
}

long ConnectionTable::Receive(int handle, std::uint8_t* buffer, std::size_t capacity, int* socket_error) {
  // The socket waits the reply time limit itself (set at the connect): one
  // call of the system a reply.
  int error = 0;
  long received = platform::ReceiveOnSocket(sockets_[handle], buffer, capacity, &error);
  if (socket_error != nullptr) *socket_error = received < 0 ? error : 0;
  return received < 0 ? kReceiveFailed : received;
}

long ConnectionTable::ReceiveWithin(int handle, std::uint8_t* buffer, std::size_t capacity, int wait_ms,
                                    int* socket_error) {
  int error = 0;
  long received = platform::ReceiveFromSocket(sockets_[handle], buffer, capacity, wait_ms, &error);
  if (socket_error != nullptr) *socket_error = received < 0 ? error : 0;
  return received < 0 ? kReceiveFailed : received;
}

void ConnectionTable::Close(int handle) {
  platform::CloseSocket(sockets_[handle]);
  sockets_[handle] = platform::kInvalidSocket;
}

}  // namespace transfer
