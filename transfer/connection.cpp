#include "transfer/connection.h"

#include "common/decimal_text.h"

#include <cstdio>

namespace transfer {

const char kTcpProtocolName[] = "TCP/IP";

namespace {

constexpr std::size_t kShortestScaleNumber = 3;
constexpr unsigned kPortMask = 0xFFFF;

}  // namespace

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

ConnectionTable::ConnectionTable(TransferMode mode, int reply_wait_ms) : mode_(mode), reply_wait_ms_(reply_wait_ms) {}

ConnectionTable::~ConnectionTable() {
  for (int handle = 0; handle < kConnectionCount; ++handle) {
    if (entries_[handle].socket != platform::kInvalidSocket) Close(handle);
  }
}

std::uint16_t ConnectionTable::NetworkPort(int port) {
  const std::string text = std::to_string(port);
  if (text[0] >= '1' && text[0] <= '9') return static_cast<std::uint16_t>(static_cast<unsigned>(port) & kPortMask);
  std::uint16_t service_port = 0;
  int error = 0;
  if (!platform::LookupServicePort(text.c_str(), &service_port, &error)) {
    std::printf("getservbyname Error %d", error);
    return 0;
  }
  return service_port;
}

int ConnectionTable::Connect(const std::string& host, const std::string& protocol, int port) {
  int handle = 0;
  while (handle < kConnectionCount && entries_[handle].socket != platform::kInvalidSocket) ++handle;
  if (handle == kConnectionCount) return kConnectNoFreeEntry;

  int error = 0;
  platform::SocketHandle socket = platform::CreateStreamSocket(&error);
  if (socket == platform::kInvalidSocket) {
    std::printf("Error %d", error);
    return kConnectNoSocket;
  }
  std::uint32_t address = 0;
  if (!platform::LookupHostAddress(host.c_str(), &address, &error)) {
    std::printf("Error %d", error);
    platform::CloseSocket(socket);
    return kConnectLookupFailed;
  }
  if (mode_ == TransferMode::kDhcp) port = PortFromDottedText(DottedText(address));
  const std::uint16_t network_port = NetworkPort(port);

  Entry& entry = entries_[handle];
  if (address == 0 || network_port == 0) {
    // Nothing to connect to: the entry holds the unconnected socket, and the
    // conversation fails at its first reply.
    entry.socket = socket;
    entry.peer_address = address;
    entry.peer_port = network_port;
    return handle;
  }
  if (protocol != kTcpProtocolName) {
    platform::CloseSocket(socket);
    return kConnectWrongProtocol;
  }
  int connect_error = platform::ConnectSocket(socket, address, network_port, kConnectWaitMs);
  if (connect_error != 0) {
    platform::CloseSocket(socket);
    std::printf("Connect error %d", connect_error);
    return kConnectFailed;
  }
  entry.socket = socket;
  entry.peer_address = address;
  entry.peer_port = network_port;
  return handle;
}

long ConnectionTable::Send(int handle, const std::uint8_t* bytes, std::size_t count) {
  int error = 0;
  long sent = platform::SendOnSocket(entries_[handle].socket, bytes, count, &error);
  return sent < 0 ? kSendFailed : sent;
}

long ConnectionTable::Receive(int handle, std::uint8_t* buffer, std::size_t capacity) {
  int error = 0;
  long received = platform::ReceiveFromSocket(entries_[handle].socket, buffer, capacity, reply_wait_ms_, &error);
  return received < 0 ? kReceiveFailed : received;
}

void ConnectionTable::Close(int handle) {
  platform::CloseSocket(entries_[handle].socket);
  entries_[handle] = Entry();
}

}  // namespace transfer
