// The raw clients' connection to a scale: a TCP connection to an IPv4
// address and port on loopback.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace bench {

// The connected socket, or -1 after a line on the error stream.
inline int ConnectTo(const char* address, const char* port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<std::uint16_t>(std::atoi(port)));
  if (fd < 0 || inet_pton(AF_INET, address, &peer.sin_addr) != 1 ||
      connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
    std::perror("connect");
    if (fd >= 0) close(fd);
    return -1;
  }
  return fd;
}

}  // namespace bench
