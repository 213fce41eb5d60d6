// POSIX only, inside the platform layer: the Windows socket error number of a
// system error (errno) or a resolver failure (getaddrinfo), so that the POSIX
// sockets report the numbers that platform/sockets.h promises. Windows has
// these numbers as its own and needs no such mapping.
#pragma once

namespace platform {

// The socket error number of a system error number (errno); a number without
// a counterpart is returned unchanged.
int SocketErrorFromSystemError(int system_error);

// The socket error number of a resolver failure (a getaddrinfo result); one
// of EAI_SYSTEM maps the errno of the moment, one without a counterpart gives
// kSocketErrorNoRecovery.
int SocketErrorFromResolverError(int resolver_error);

}  // namespace platform
