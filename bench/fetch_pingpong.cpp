// The lower bound for a paired read: a raw client that asks a scale for its
// records as xferlnk does (a read packet 0xF7 and a key packet 0xF3 with the
// key of the record before, each after the reply to the one before) until
// the end reply. Given a FILE, it appends each record to it and puts it on
// the disk (fdatasync) before the key packet that clears it at the scale, as
// a read that loses nothing must; else it keeps nothing.
//
//   fetch_pingpong ADDRESS PORT FILE_CODE [FILE]
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "loopback_client.h"

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: fetch_pingpong ADDRESS PORT FILE_CODE [FILE]\n");
    return 1;
  }
  const int out = argc == 5 ? open(argv[4], O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
  if (argc == 5 && out < 0) return 1;
  int fd = bench::ConnectTo(argv[1], argv[2]);
  if (fd < 0) return 1;
  const auto code = static_cast<std::uint8_t>(std::strtol(argv[3], nullptr, 16));
  std::uint8_t packet[6] = {0xF7, code, 0, 0, 0, 0};
  std::uint8_t reply[12288];
  std::uint8_t ack[12288];
  long records = 0;
  for (;;) {
    packet[0] = 0xF7;
    if (send(fd, packet, sizeof packet, MSG_NOSIGNAL) != 6) return 1;
    const ssize_t got = recv(fd, reply, sizeof reply, 0);
    if (got <= 0) return 1;
    if (out >= 0 && (write(out, reply, static_cast<std::size_t>(got)) != got || fdatasync(out) != 0)) return 1;
    packet[0] = 0xF3;
    if (send(fd, packet, sizeof packet, MSG_NOSIGNAL) != 6 || recv(fd, ack, sizeof ack, 0) <= 0) return 1;
    if (reply[0] >= 0xE0 && reply[0] <= 0xE2) break;
    std::memcpy(packet + 2, reply, 4);
    ++records;
  }
  shutdown(fd, SHUT_WR);
  close(fd);
  if (out >= 0 && close(out) != 0) return 1;
  std::printf("%ld\n", records);
  return 0;
}
