// The POSIX side's table from system and resolver errors to the socket error
// numbers of platform/sockets.h.
#include "platform/socket_errors_posix.h"

#include <netdb.h>

#include <cerrno>

#include "platform/sockets.h"

namespace platform {
namespace {

enum class ErrorSource { kSystem, kResolver };

struct ErrorMapping {
  ErrorSource source;
  int number;
  int socket_error;
};

// The one table from system and resolver errors to socket error numbers.
const ErrorMapping kErrorMappings[] = {
    {ErrorSource::kSystem, EINTR, 10004},
    {ErrorSource::kSystem, EBADF, 10009},
    {ErrorSource::kSystem, EACCES, 10013},
    {ErrorSource::kSystem, EFAULT, 10014},
    {ErrorSource::kSystem, EINVAL, 10022},
    {ErrorSource::kSystem, EMFILE, 10024},
    {ErrorSource::kSystem, ENFILE, 10024},
    {ErrorSource::kSystem, EWOULDBLOCK, 10035},
    {ErrorSource::kSystem, EAGAIN, 10035},
    {ErrorSource::kSystem, EINPROGRESS, 10036},
    {ErrorSource::kSystem, EALREADY, 10037},
    {ErrorSource::kSystem, ENOTSOCK, 10038},
    {ErrorSource::kSystem, EMSGSIZE, 10040},
    {ErrorSource::kSystem, EPROTONOSUPPORT, 10043},
    {ErrorSource::kSystem, EOPNOTSUPP, 10045},
    {ErrorSource::kSystem, EAFNOSUPPORT, 10047},
    {ErrorSource::kSystem, EADDRINUSE, 10048},
    {ErrorSource::kSystem, EADDRNOTAVAIL, kSocketErrorAddressNotAvailable},
    {ErrorSource::kSystem, ENETDOWN, 10050},
    {ErrorSource::kSystem, ENETUNREACH, kSocketErrorNetworkUnreachable},
    {ErrorSource::kSystem, ENETRESET, 10052},
    {ErrorSource::kSystem, ECONNABORTED, 10053},
    {ErrorSource::kSystem, ECONNRESET, kSocketErrorConnectionReset},
    {ErrorSource::kSystem, ENOBUFS, 10055},
    {ErrorSource::kSystem, ENOMEM, 10055},
    {ErrorSource::kSystem, EISCONN, 10056},
    {ErrorSource::kSystem, ENOTCONN, 10057},
    {ErrorSource::kSystem, EPIPE, 10058},
    {ErrorSource::kSystem, ETIMEDOUT, kSocketErrorTimedOut},
    {ErrorSource::kSystem, ECONNREFUSED, kSocketErrorConnectionRefused},
    {ErrorSource::kSystem, EHOSTDOWN, 10064},
    {ErrorSource::kSystem, EHOSTUNREACH, kSocketErrorHostUnreachable},
    {ErrorSource::kResolver, EAI_NONAME, kSocketErrorHostNotFound},
    {ErrorSource::kResolver, EAI_AGAIN, kSocketErrorTryAgain},
    {ErrorSource::kResolver, EAI_FAIL, kSocketErrorNoRecovery},
#ifdef EAI_NODATA
    {ErrorSource::kResolver, EAI_NODATA, kSocketErrorNoData},
#endif
#ifdef EAI_ADDRFAMILY
    {ErrorSource::kResolver, EAI_ADDRFAMILY, kSocketErrorNoData},
#endif
    {ErrorSource::kResolver, EAI_FAMILY, kSocketErrorNoRecovery},
    {ErrorSource::kResolver, EAI_SERVICE, kSocketErrorNoRecovery},
    {ErrorSource::kResolver, EAI_SOCKTYPE, kSocketErrorNoRecovery},
    {ErrorSource::kResolver, EAI_BADFLAGS, kSocketErrorNoRecovery},
    {ErrorSource::kResolver, EAI_MEMORY, 10055},
};

bool FindMapping(ErrorSource source, int number, int* socket_error) {
  for (const ErrorMapping& mapping : kErrorMappings) {
    if (mapping.source == source && mapping.number == number) {
      *socket_error = mapping.socket_error;
      return true;
    }
  }
  return false;
}

}  // namespace

int SocketErrorFromSystemError(int system_error) {
  int socket_error;
  if (FindMapping(ErrorSource::kSystem, system_error, &socket_error)) return socket_error;
  return system_error;
}

int SocketErrorFromResolverError(int resolver_error) {
  if (resolver_error == EAI_SYSTEM) return SocketErrorFromSystemError(errno);
  int socket_error;
  if (FindMapping(ErrorSource::kResolver, resolver_error, &socket_error)) return socket_error;
  return kSocketErrorNoRecovery;
}

}  // namespace platform
