// TCP client sockets for the transfer program: create, look a host up,
// connect with a bounded wait, send and receive with time limits, close.
//
// Every error is reported as a Windows socket error number (10060 for a
// time-out, 11001 for an unknown host, ...), whatever the platform, so that
// the numbers the transfer program prints are the same everywhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// A socket; kInvalidSocket marks none.
using SocketHandle = std::intptr_t;
extern const SocketHandle kInvalidSocket;

// The socket error numbers the program prints or tests for.
constexpr int kSocketErrorAddressNotAvailable = 10049;
constexpr int kSocketErrorNetworkUnreachable = 10051;
constexpr int kSocketErrorConnectionReset = 10054;
constexpr int kSocketErrorTimedOut = 10060;
constexpr int kSocketErrorConnectionRefused = 10061;
constexpr int kSocketErrorHostUnreachable = 10065;
constexpr int kSocketErrorHostNotFound = 11001;
constexpr int kSocketErrorTryAgain = 11002;
constexpr int kSocketErrorNoRecovery = 11003;
constexpr int kSocketErrorNoData = 11004;

// Starts the socket library; every other function here needs it started.
// On Windows this can fail (no Windows Sockets 1.1 to be had); the caller
// then makes no connection, calls StopSockets (harmless then) and ends its
// run as failed. Elsewhere there is nothing to start and it never fails.
bool StartSockets();
// Stops the socket library; once per StartSockets, whatever it returned.
void StopSockets();

// A new IPv4 TCP stream socket, or kInvalidSocket with *error set.
SocketHandle CreateStreamSocket(int* error);

// The first IPv4 address of a host name or dotted address, as a number in
// host byte order (127.0.0.1 is 0x7F000001). False with *error set if the
// name cannot be looked up.
bool LookupHostAddress(const char* name, std::uint32_t* address, int* error);

// The port of a named service (any protocol), in host byte order. False with
// *error set if there is no such service.
bool LookupServicePort(const char* name, std::uint16_t* port, int* error);

// Connects the socket to address:port (host byte order), waiting at most
// wait_ms for the connection to be made. 0 when connected; otherwise the
// socket error number (kSocketErrorTimedOut when the wait ran out). The
// socket is blocking again afterwards.
int ConnectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port, int wait_ms);

// Hands all bytes to the socket, waiting at most wait_ms in all for the
// system to take them (a peer that stops reading fills its buffers and then
// holds the sender up). The count, or -1 with *error set
// (kSocketErrorTimedOut when the wait ran out; a part of the bytes may have
// gone by then). Never raises a signal when the peer has gone.
long SendOnSocket(SocketHandle socket, const void* bytes, std::size_t count, int wait_ms, int* error);

// Sets how long ReceiveOnSocket waits on this socket. False if it cannot.
bool SetReceiveWait(SocketHandle socket, int wait_ms);

// Receives what one receive call delivers, at most capacity bytes, waiting at
// most the socket's receive wait (SetReceiveWait) for it, in one call of the
// system: the count; 0 when the peer has closed the connection; -1 with
// *error set on an error or when nothing came in time (kSocketErrorTimedOut).
long ReceiveOnSocket(SocketHandle socket, void* buffer, std::size_t capacity, int* error);

// Receives what one receive call delivers, at most capacity bytes, waiting at
// most wait_ms for it (0: only what has already come). The count; 0 when the
// peer has closed the connection; -1 with *error set on an error or when
// nothing came in time (kSocketErrorTimedOut).
long ReceiveFromSocket(SocketHandle socket, void* buffer, std::size_t capacity, int wait_ms, int* error);

// Shuts down the sending direction and closes the socket.
void CloseSocket(SocketHandle socket);

}  // namespace platform
