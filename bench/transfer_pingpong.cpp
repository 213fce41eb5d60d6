// The lower bound for a record load: a raw client that sends the same record
// packets as xferlnk (0xF1, file code, record) to a scale, each after the
// reply to the one before, from memory, without files or checks.
//
//   transfer_pingpong ADDRESS PORT RECORDS
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "loopback_client.h"

#include "transfer_records.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: transfer_pingpong ADDRESS PORT RECORDS\n");
    return 1;
  }
  const long records = std::atol(argv[3]);
  int fd = bench::ConnectTo(argv[1], argv[2]);
  if (fd < 0) return 1;
  std::uint8_t packet[2 + transfer_bench::kRecordBytes];
  std::uint8_t reply[12288];
  packet[0] = 0xF1;
  packet[1] = transfer_bench::kPluFileCode;
  for (long i = 1; i <= records; ++i) {
    transfer_bench::MakeRecord(i, packet + 2);
    if (send(fd, packet, sizeof packet, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof packet) ||
        recv(fd, reply, sizeof reply, 0) <= 0) {
      std::fprintf(stderr, "transfer_pingpong: exchange %ld failed\n", i);
      return 1;
    }
  }
  shutdown(fd, SHUT_WR);
  close(fd);
  return 0;
}
