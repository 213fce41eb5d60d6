// Runs the built xferlnk in a temporary working directory against the scale
// emulator on this test's own loopback address. Scales S0001... resolve to
// that address through nss_wrapper; nothing reaches a real name server.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace transfer_tests {

// The worked example of a store-name record, as the converter writes it.
inline const char kStoreNameRecord[] = "00000001000F001105034142430C00";

class XferlnkTest : public ::testing::Test {
 protected:
  XferlnkTest() : address_(AddressOfThisRun(testing_support::LoopbackAddressForTest())) {
    for (int scale = 1; scale <= 9; ++scale) AddHost(HostOf(scale), address_);
  }

  // The test's own loopback address with its second number shifted by the
  // process id: the same shift for every test keeps the addresses of one run
  // apart, and a second build running these tests at the same time (its
  // emulators on the same ports) most likely uses other addresses.
  static std::string AddressOfThisRun(const std::string& address) {
    unsigned a = 0, b = 0, c = 0;
    if (std::sscanf(address.c_str(), "127.%u.%u.%u", &a, &b, &c) != 3) return address;
    a = 10 + (a - 10 + static_cast<unsigned>(getpid())) % 240;
    return "127." + std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c);
  }

  static std::string HostOf(int scale) {
    char host[16];
    std::snprintf(host, sizeof host, "S%04d", scale);
    return host;
  }
  std::string Listen(int scale) const { return address_ + ":" + std::to_string(2000 + scale); }
  std::string Store() const { return sim_root_.File("store"); }

  void AddHost(const std::string& name, const std::string& address) { hosts_.emplace_back(name, address); }

  // Records a scale holds before the emulator starts: lines "CC HEX".
  void SeedStore(int scale, const std::string& table_text) {
    char dir[8];
    std::snprintf(dir, sizeof dir, "%03d", scale);
    std::string path = Store() + "/" + dir;
    ASSERT_EQ(std::system(("mkdir -p " + path).c_str()), 0);
    ASSERT_TRUE(testing_support::WriteFile(path + "/tables.hex", table_text));
  }

  bool StartScales(const std::vector<int>& scales, const std::vector<std::string>& faults = {}) {
    std::vector<std::string> listen;
    for (int scale : scales) listen.push_back(Listen(scale));
    return sim_.Start(Store(), listen, faults);
  }

  // Runs xferlnk in scale-number mode with a reply time limit of 5 seconds,
  // unless extra_env says otherwise.
  testing_support::ProgramResult Run(const std::vector<std::string>& arguments,
                                     const std::vector<std::string>& extra_env = {}, int timeout_ms = 20000) {
    std::vector<std::string> env;
    if (use_hosts_file_) env = testing_support::HostsEnvironment(sim_root_.File("hosts"), hosts_);
    std::vector<std::string> defaults = {"XFLTCPMODE=", "XFLTIMEOUT=5"};
    for (const std::string& entry : defaults) {
      bool replaced = false;
      for (const std::string& x : extra_env) replaced = replaced || SameName(x, entry);
      if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extra_env.begin(), extra_env.end());
    return testing_support::RunProgram(testing_support::BinPath("xferlnk"), arguments, work_.path(), env, timeout_ms);
  }

  // True if two "NAME=value" entries name one variable, ignoring case.
  static bool SameName(const std::string& a, const std::string& b) {
    std::string::size_type end = a.find('=');
    if (end != b.find('=')) return false;
    for (std::string::size_type i = 0; i < end; ++i) {
      if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
        return false;
    }
    return true;
  }

  // A packet log with its "close" lines moved to the end. The emulator may
  // see a new connection (or its first request) before it notices that the
  // one before it was closed, so only the number of closes is certain.
  static std::string Canonical(const std::string& log) {
    std::string kept, closes;
    std::string::size_type start = 0;
    while (start < log.size()) {
      std::string::size_type end = log.find('\n', start);
      end = end == std::string::npos ? log.size() : end + 1;
      const std::string line = log.substr(start, end - start);
      (line.size() > 6 && line.compare(line.size() - 6, 6, "close\n") == 0 ? closes : kept) += line;
      start = end;
    }
    return kept + closes;
  }

  // Expects the emulator's packet log to be expected but for the order of
  // closes, waiting a few seconds for it (the emulator may log a close a
  // moment after xferlnk ended).
  void ExpectLog(const std::string& expected) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    std::string log = Canonical(Log());
    while (log != Canonical(expected) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      log = Canonical(Log());
    }
    EXPECT_EQ(log, Canonical(expected));
  }
  std::string Log() const {
    std::string log = testing_support::ReadFile(sim_.log_path());
    return log == "<missing>" ? std::string() : log;
  }

  void Write(const std::string& name, const std::string& text) {
    ASSERT_TRUE(testing_support::WriteFile(work_.File(name), text));
  }
  std::string Read(const std::string& name) const { return testing_support::ReadFile(work_.File(name)); }
  bool Has(const std::string& name) const { return testing_support::Exists(work_.File(name)); }

  testing_support::TempDir work_;
  testing_support::TempDir sim_root_;
  std::string address_;
  std::vector<std::pair<std::string, std::string>> hosts_;
  // Off for runs that look up no name the hosts file holds: nss_wrapper hands
  // other names to the C library, which a sanitizer build does not allow.
  bool use_hosts_file_ = true;
  testing_support::ScaleSim sim_;
};

}  // namespace transfer_tests
