// "scalesim sell": simulated sales at one scale, from the PLUs loaded into
// it, written into its store. It works on the store files directly, so it
// must not run while a "serve" of the same store is up: that serve would
// write its own tables over the sales when a connection closes or it stops.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scalesim {

constexpr long long kMaxSalesPerRun = 1000000;

struct SellOptions {
  std::string store;
  int scale = -1;
  long long count = 0;
  std::uint64_t seed = 0;
};

bool ParseSellArguments(const std::vector<std::string>& arguments, SellOptions* options, std::string* problem);

// Simulates the sales; prints one summary line. Returns an exit code.
int Sell(const SellOptions& options);

}  // namespace scalesim
