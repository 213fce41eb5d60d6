// Socket, polling, clock and signal services of the emulator's server. All
// sockets are non-blocking; a socket is known by its integer handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace scalesim::net {

// True and the address in network order if text is a dotted IPv4 address.
bool ParseIpv4(const std::string& text, std::uint32_t* address);

// A non-blocking TCP socket bound to address:port and listening with the
// given backlog; -1 on failure, with the system's reason in reason (such as
// "Address already in use").
int Listen(std::uint32_t address, int port, int backlog, std::string* reason);

// Fills the accept queue of a listener that nobody accepts on (listening
// with backlog 0), by connecting to it from this process, so that further
// connection attempts are not answered. The connecting sockets are added to
// holders and must stay open. False if the queue could not be filled.
bool FillBacklog(int listener, std::uint32_t address, int port, std::vector<int>* holders);

// A connection waiting on the listener, made non-blocking; -1 if none.
int Accept(int listener);

// Bytes read (> 0), 0 when the peer has closed, kWouldBlock, or kFailed.
constexpr long kWouldBlock = -1;
constexpr long kFailed = -2;
long Receive(int socket, std::uint8_t* buffer, std::size_t capacity);
// Bytes handed to the socket (>= 0), kWouldBlock, or kFailed.
long Send(int socket, const std::uint8_t* data, std::size_t size);

void Close(int socket);
// Closes so that the peer sees a reset (RST) instead of an orderly close.
void Reset(int socket);

struct PollEntry {
  int handle = -1;
  bool want_read = false;
  bool want_write = false;
  bool readable = false;  // also set on hang-up and error, so a read tells which
  bool writable = false;
};
// Waits up to timeout_us microseconds (-1: no limit) until an entry is ready
// or the stop signal arrives. False on a failure other than an interruption.
bool Poll(std::vector<PollEntry>* entries, long long timeout_us);

// SIGTERM and SIGINT set the stop request and wake Poll; SIGPIPE is ignored.
bool InstallStopSignals();
bool StopRequested();

// Microseconds of a monotonic clock (fine enough that a delay of 1 ms is
// held 1 ms, not anything between 0 and 1 ms as a millisecond clock would).
long long NowUs();

}  // namespace scalesim::net
