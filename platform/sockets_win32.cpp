// Win32 implementation of platform/sockets.h on Windows Sockets 1.1. The
// error numbers are the system's own: nothing needs mapping.
#include "platform/sockets.h"

#include "platform/windows_headers_win32.h"

#include <cstring>

namespace platform {

const SocketHandle kInvalidSocket = static_cast<SocketHandle>(INVALID_SOCKET);

namespace {

const WORD kSocketsVersion = MAKEWORD(1, 1);

SOCKET AsSocket(SocketHandle socket) { return static_cast<SOCKET>(socket); }

struct timeval WaitTime(int wait_ms) {
  struct timeval wait;
  wait.tv_sec = wait_ms / 1000;
  wait.tv_usec = (wait_ms % 1000) * 1000;
  return wait;
}

int SetBlocking(SOCKET s, bool blocking) {
  u_long non_blocking = blocking ? 0 : 1;
  return ioctlsocket(s, FIONBIO, &non_blocking) == 0 ? 0 : WSAGetLastError();
}

}  // namespace

// A library that started without version 1.1 stays started until the
// caller's StopSockets, as one that started with it does.
bool StartSockets() {
  WSADATA data;
  if (WSAStartup(kSocketsVersion, &data) != 0) return false;
  return data.wVersion == kSocketsVersion;
}

void StopSockets() { WSACleanup(); }

SocketHandle CreateStreamSocket(int* error) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    *error = WSAGetLastError();
    return kInvalidSocket;
  }
  return static_cast<SocketHandle>(s);
}

bool LookupHostAddress(const char* name, std::uint32_t* address, int* error) {
  unsigned long dotted = inet_addr(name);
  if (dotted != INADDR_NONE) {
    *address = ntohl(dotted);
    return true;
  }
  struct hostent* host = gethostbyname(name);
  if (host == nullptr) {
    *error = WSAGetLastError();
    return false;
  }
  if (host->h_addrtype != AF_INET || host->h_length != 4 || host->h_addr_list[0] == nullptr) {
    *error = kSocketErrorNoData;
    return false;
  }
  std::uint32_t network_order;
  std::memcpy(&network_order, host->h_addr_list[0], sizeof network_order);
  *address = ntohl(network_order);
  return true;
}

bool LookupServicePort(const char* name, std::uint16_t* port, int* error) {
  struct servent* service = getservbyname(name, nullptr);
  if (service == nullptr) {
    int last = WSAGetLastError();
    *error = last != 0 ? last : kSocketErrorNoData;
    return false;
  }
  *port = ntohs(static_cast<u_short>(service->s_port));
  return true;
}

int ConnectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port, int wait_ms) {
  SOCKET s = AsSocket(socket);
  struct sockaddr_in peer;
  std::memset(&peer, 0, sizeof peer);
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr.s_addr = htonl(address);
  int error = SetBlocking(s, false);
  if (error != 0) return error;
  if (connect(s, reinterpret_cast<const struct sockaddr*>(&peer), sizeof peer) == SOCKET_ERROR) {
    error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) return error;
    // Connected: writable. Refused or failed: listed as an exception.
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    struct timeval wait = WaitTime(wait_ms);
    int ready = select(0, nullptr, &writable, &failed, &wait);
    if (ready == SOCKET_ERROR) return WSAGetLastError();
    if (ready == 0) return kSocketErrorTimedOut;
    if (FD_ISSET(s, &failed)) {
      int pending = 0;
      int length = sizeof pending;
      if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending), &length) == SOCKET_ERROR) {
        return WSAGetLastError();
      }
      return pending != 0 ? pending : kSocketErrorConnectionRefused;
    }
  }
  return SetBlocking(s, true);
}

long SendOnSocket(SocketHandle socket, const void* bytes, std::size_t count, int wait_ms, int* error) {
  SOCKET s = AsSocket(socket);
  const char* data = static_cast<const char*>(bytes);
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(wait_ms < 0 ? 0 : wait_ms);
  // Without blocking, so that a full buffer hands control back at once.
  int result = SetBlocking(s, false);
  std::size_t done = 0;
  while (result == 0 && done < count) {
    int n = send(s, data + done, static_cast<int>(count - done), 0);
    if (n != SOCKET_ERROR) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    result = WSAGetLastError();
    if (result != WSAEWOULDBLOCK) break;
    // The buffers are full: wait until there is room or the time is up.
    ULONGLONG now = GetTickCount64();
    int left = now < deadline ? static_cast<int>(deadline - now) : 0;
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(s, &writable);
    struct timeval wait = WaitTime(left);
    int ready = left > 0 ? select(0, nullptr, &writable, nullptr, &wait) : 0;
    result = ready == SOCKET_ERROR ? WSAGetLastError() : ready == 0 ? kSocketErrorTimedOut : 0;
  }
  int restored = SetBlocking(s, true);
  if (result == 0) result = restored;
  if (result != 0) {
    *error = result;
    return -1;
  }
  return static_cast<long>(done);
}

bool SetReceiveWait(SocketHandle socket, int wait_ms) {
  DWORD wait = static_cast<DWORD>(wait_ms);
  return setsockopt(AsSocket(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait) == 0;
}

long ReceiveOnSocket(SocketHandle socket, void* buffer, std::size_t capacity, int* error) {
  int n = recv(AsSocket(socket), static_cast<char*>(buffer), static_cast<int>(capacity), 0);
  if (n == SOCKET_ERROR) {
    *error = WSAGetLastError();  // WSAETIMEDOUT (kSocketErrorTimedOut) when the wait ran out
    return -1;
  }
  return n;
}

long ReceiveFromSocket(SocketHandle socket, void* buffer, std::size_t capacity, int wait_ms, int* error) {
  SOCKET s = AsSocket(socket);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  struct timeval wait = WaitTime(wait_ms);
  int ready = select(0, &readable, nullptr, nullptr, &wait);
  if (ready == 0) {
    *error = kSocketErrorTimedOut;
    return -1;
  }
  if (ready == SOCKET_ERROR) {
    *error = WSAGetLastError();
    return -1;
  }
  int n = recv(s, static_cast<char*>(buffer), static_cast<int>(capacity), 0);
  if (n == SOCKET_ERROR) {
    *error = WSAGetLastError();
    return -1;
  }
  return n;
}

void CloseSocket(SocketHandle socket) {
  SOCKET s = AsSocket(socket);
  shutdown(s, SD_SEND);
  closesocket(s);
}

}  // namespace platform
