// The emulator's sockets, polling, clock and signals (scalesim/net.h), on
// Linux.
#include "scalesim/net.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

namespace scalesim::net {
namespace {

volatile sig_atomic_t g_stop = 0;
int g_wake_pipe[2] = {-1, -1};

void OnStopSignal(int) {
  g_stop = 1;
  if (g_wake_pipe[1] >= 0) {
    char byte = 1;
    ssize_t ignored = write(g_wake_pipe[1], &byte, 1);
    (void)ignored;
  }
}

bool MakeNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

sockaddr_in AddressOf(std::uint32_t address, int port) {
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<std::uint16_t>(port));
  sa.sin_addr.s_addr = address;
  return sa;
}

// Waits until the connecting socket is connected; false on failure or after
// the time limit.
bool WaitConnected(int fd, int timeout_ms) {
  pollfd p = {fd, POLLOUT, 0};
  if (poll(&p, 1, timeout_ms) != 1) return false;
  int error = 0;
  socklen_t length = sizeof error;
  return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

// True once the listener's accept queue holds `count` connections. For a
// listening socket the kernel reports the queue length in tcpi_unacked.
bool WaitAcceptQueue(int listener, unsigned count, int timeout_ms) {
  for (int waited = 0; waited <= timeout_ms; ++waited) {
    tcp_info info;
    socklen_t length = sizeof info;
    std::memset(&info, 0, sizeof info);
    if (getsockopt(listener, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) return false;
    if (info.tcpi_unacked >= count) return true;
    usleep(1000);
  }
  return false;
}

}  // namespace

bool ParseIpv4(const std::string& text, std::uint32_t* address) {
  in_addr a;
  if (inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
  *address = a.s_addr;
  return true;
}

int Listen(std::uint32_t address, int port, int backlog, std::string* reason) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *reason = std::strerror(errno);
    return -1;
  }
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in sa = AddressOf(address, port);
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd, backlog) != 0 ||
      !MakeNonBlocking(fd)) {
    *reason = std::strerror(errno);
    close(fd);
    return -1;
  }
  return fd;
}

bool FillBacklog(int listener, std::uint32_t address, int port, std::vector<int>* holders) {
  // With backlog 0 the accept queue is full with one connection. A SYN that
  // finds it full gets no answer, so the connect of a client waits until its
  // own time limit. The first connection must sit in the queue (not only be
  // under way) before the emulator says it is ready; a second attempt then
  // stays unanswered, like every later one.
  const int kHolders = 2;
  const int kConnectWaitMs = 2000;
  for (int i = 0; i < kHolders; ++i) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || !MakeNonBlocking(fd)) {
      if (fd >= 0) close(fd);
      return false;
    }
    holders->push_back(fd);
    sockaddr_in sa = AddressOf(address, port);
    int rc = connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    if (rc != 0 && errno != EINPROGRESS) return false;
    if (i == 0) {
      if (rc != 0 && !WaitConnected(fd, kConnectWaitMs)) return false;
      if (!WaitAcceptQueue(listener, 1, kConnectWaitMs)) return false;
    }
  }
  return true;
}

int Accept(int listener) {
  int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) return -1;
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

long Receive(int socket, std::uint8_t* buffer, std::size_t capacity) {
  for (;;) {
    ssize_t n = recv(socket, buffer, capacity, 0);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kWouldBlock;
    return kFailed;
  }
}

long Send(int socket, const std::uint8_t* data, std::size_t size) {
  for (;;) {
    ssize_t n = send(socket, data, size, MSG_NOSIGNAL);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kWouldBlock;
    return kFailed;
  }
}

void Close(int socket) {
  if (socket >= 0) close(socket);
}

void Reset(int socket) {
  if (socket < 0) return;
  linger l;
  l.l_onoff = 1;
  l.l_linger = 0;
  setsockopt(socket, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  close(socket);
}

bool Poll(std::vector<PollEntry>* entries, long long timeout_us) {
  std::vector<pollfd> fds(entries->size() + 1);
  for (std::size_t i = 0; i < entries->size(); ++i) {
    PollEntry& e = (*entries)[i];
    e.readable = false;
    e.writable = false;
    fds[i].fd = e.handle;
    fds[i].events = static_cast<short>((e.want_read ? POLLIN : 0) | (e.want_write ? POLLOUT : 0));
    fds[i].revents = 0;
  }
  pollfd& wake = fds.back();
  wake.fd = g_wake_pipe[0];
  wake.events = POLLIN;
  wake.revents = 0;
  if (g_stop) return true;
  // ppoll, not poll: its time limit is not rounded to milliseconds.
  timespec limit;
  limit.tv_sec = static_cast<time_t>(timeout_us / 1000000);
  limit.tv_nsec = static_cast<long>(timeout_us % 1000000) * 1000;
  int rc = ppoll(fds.data(), fds.size(), timeout_us < 0 ? nullptr : &limit, nullptr);
  if (rc < 0) return errno == EINTR;
  for (std::size_t i = 0; i < entries->size(); ++i) {
    PollEntry& e = (*entries)[i];
    short r = fds[i].revents;
    e.readable = e.want_read && (r & (POLLIN | POLLHUP | POLLERR)) != 0;
    e.writable = e.want_write && (r & (POLLOUT | POLLHUP | POLLERR)) != 0;
  }
  return true;
}

bool InstallStopSignals() {
  if (pipe2(g_wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  if (sigaction(SIGTERM, &sa, nullptr) != 0 || sigaction(SIGINT, &sa, nullptr) != 0) return false;
  signal(SIGPIPE, SIG_IGN);
  return true;
}

bool StopRequested() { return g_stop != 0; }

long long NowUs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

}  // namespace scalesim::net
