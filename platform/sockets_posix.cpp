// POSIX implementation of platform/sockets.h.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/socket_errors_posix.h"
#include "platform/sockets.h"

namespace platform {

const SocketHandle kInvalidSocket = -1;

namespace {

long long NowMs() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Waits until the socket is ready for the events or the deadline has passed.
// The poll result: 1 ready, 0 time-out, -1 error (errno set).
int WaitForSocket(int fd, short events, int wait_ms, short* revents) {
  long long deadline = NowMs() + wait_ms;
  for (;;) {
    long long left = deadline - NowMs();
    if (left < 0) left = 0;
    struct pollfd pfd = {fd, events, 0};
    int ready = poll(&pfd, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    *revents = pfd.revents;
    return ready;
  }
}

bool SetBlocking(int fd, bool blocking) {
  int flags = fcntl(fd, F_GETFL, 0);
  if (flags < 0) return false;
  flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
  return fcntl(fd, F_SETFL, flags) == 0;
}

}  // namespace

bool StartSockets() { return true; }

void StopSockets() {}

SocketHandle CreateStreamSocket(int* error) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    *error = SocketErrorFromSystemError(errno);
    return kInvalidSocket;
  }
  return fd;
}

bool LookupHostAddress(const char* name, std::uint32_t* address, int* error) {
  struct addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  struct addrinfo* answer = nullptr;
  int rc = getaddrinfo(name, nullptr, &hints, &answer);
  if (rc != 0) {
    *error = SocketErrorFromResolverError(rc);
    return false;
  }
  bool found = false;
  for (struct addrinfo* entry = answer; entry != nullptr && !found; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
    const struct sockaddr_in* in = reinterpret_cast<const struct sockaddr_in*>(entry->ai_addr);
    *address = ntohl(in->sin_addr.s_addr);
    found = true;
  }
  freeaddrinfo(answer);
  if (!found) *error = kSocketErrorNoData;
  return found;
}

bool LookupServicePort(const char* name, std::uint16_t* port, int* error) {
  struct servent* service = getservbyname(name, nullptr);
  if (service == nullptr) {
    *error = kSocketErrorNoData;
    return false;
  }
  *port = ntohs(static_cast<std::uint16_t>(service->s_port));
  return true;
}

int ConnectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port, int wait_ms) {
  int fd = static_cast<int>(socket);
  struct sockaddr_in peer;
  std::memset(&peer, 0, sizeof peer);
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr.s_addr = htonl(address);
  if (!SetBlocking(fd, false)) return SocketErrorFromSystemError(errno);
  if (connect(fd, reinterpret_cast<const struct sockaddr*>(&peer), sizeof peer) != 0) {
    if (errno != EINPROGRESS) return SocketErrorFromSystemError(errno);
    short revents = 0;
    if (WaitForSocket(fd, POLLOUT, wait_ms, &revents) <= 0) return kSocketErrorTimedOut;
    int pending = 0;
    socklen_t length = sizeof pending;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &length) != 0) return SocketErrorFromSystemError(errno);
    if (pending != 0) return SocketErrorFromSystemError(pending);
  }
  if (!SetBlocking(fd, true)) return SocketErrorFromSystemError(errno);
  return 0;
}

long SendOnSocket(SocketHandle socket, const void* bytes, std::size_t count, int wait_ms, int* error) {
  int fd = static_cast<int>(socket);
  const char* data = static_cast<const char*>(bytes);
  const long long deadline = NowMs() + wait_ms;
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = send(fd, data + done, count - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      *error = SocketErrorFromSystemError(errno);
      return -1;
    }
    // The buffers are full: wait until there is room or the time is up.
    long long left = deadline - NowMs();
    short revents = 0;
    int ready = left > 0 ? WaitForSocket(fd, POLLOUT, static_cast<int>(left), &revents) : 0;
    if (ready == 0) {
      *error = kSocketErrorTimedOut;
      return -1;
    }
    if (ready < 0) {
      *error = SocketErrorFromSystemError(errno);
      return -1;
    }
  }
  return static_cast<long>(done);
}

bool SetReceiveWait(SocketHandle socket, int wait_ms) {
  struct timeval wait;
  wait.tv_sec = wait_ms / 1000;
  wait.tv_usec = (wait_ms % 1000) * 1000;
  return setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait) == 0;
}

long ReceiveOnSocket(SocketHandle socket, void* buffer, std::size_t capacity, int* error) {
  for (;;) {
    ssize_t n = recv(static_cast<int>(socket), buffer, capacity, 0);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    *error = errno == EAGAIN || errno == EWOULDBLOCK ? kSocketErrorTimedOut : SocketErrorFromSystemError(errno);
    return -1;
  }
}

long ReceiveFromSocket(SocketHandle socket, void* buffer, std::size_t capacity, int wait_ms, int* error) {
  int fd = static_cast<int>(socket);
  short revents = 0;
  int ready = WaitForSocket(fd, POLLIN, wait_ms, &revents);
  if (ready == 0) {
    *error = kSocketErrorTimedOut;
    return -1;
  }
  if (ready < 0) {
    *error = SocketErrorFromSystemError(errno);
    return -1;
  }
  for (;;) {
    ssize_t n = recv(fd, buffer, capacity, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = SocketErrorFromSystemError(errno);
      return -1;
    }
    return static_cast<long>(n);
  }
}

void CloseSocket(SocketHandle socket) {
  int fd = static_cast<int>(socket);
  shutdown(fd, SHUT_WR);
  close(fd);
}

}  // namespace platform
