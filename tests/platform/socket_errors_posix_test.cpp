// The POSIX side's mapping of system and resolver errors to the socket error
// numbers of platform/sockets.h.
#include "platform/socket_errors_posix.h"

#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

namespace {

TEST(SocketErrorTest, SystemAndResolverErrorsGiveTheSameNumbersEverywhere) {
  const struct {
    int system_error;
    int socket_error;
  } system_cases[] = {{ETIMEDOUT, 10060},   {ECONNREFUSED, 10061}, {EHOSTUNREACH, 10065},
                      {ENETUNREACH, 10051}, {ECONNRESET, 10054},   {EADDRNOTAVAIL, 10049}};
  for (const auto& c : system_cases) EXPECT_EQ(platform::SocketErrorFromSystemError(c.system_error), c.socket_error);
  EXPECT_EQ(platform::SocketErrorFromResolverError(EAI_NONAME), 11001);
  EXPECT_EQ(platform::SocketErrorFromResolverError(EAI_AGAIN), 11002);
#ifdef EAI_NODATA
  EXPECT_EQ(platform::SocketErrorFromResolverError(EAI_NODATA), 11004);
#endif
}

}  // namespace
