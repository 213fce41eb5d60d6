// A morning load from the programs as a shop installs them, against the
// emulator: the installed layout of `cmake --install` (or of the Debian
// package, unpacked by scripts/test-package.sh), and the unpacked Windows zip
// with its batch under wine (scripts/test-windows.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/shop.h"

namespace {

using testing_support::HostsEnvironment;
using testing_support::kBanner;
using testing_support::kConverterLimitMs;
using testing_support::ReadFile;
using testing_support::RunProgram;
using testing_support::Shop;
using testing_support::SourcePath;

// The batch runs the converter up to three times, each a short run against
// the emulator.
constexpr int kBatchLimitMs = 2 * kConverterLimitMs;

std::string FromEnvironment(const char* name, const std::string& otherwise = "") {
  const char* value = std::getenv(name);
  return value != nullptr ? value : otherwise;
}

// The records one scale was sent in the requests of one file ("F125"...),
// joined: the file's hex text when the whole file went through.
std::string Sent(const std::vector<std::string>& requests, int scale, const std::string& file) {
  const std::string head = std::to_string(2000 + scale) + " > " + file;
  std::string records;
  for (const std::string& request : requests) {
    if (request.starts_with(head)) records += request.substr(head.size());
  }
  return records;
}

// Scale 001 holds the prepared files of the examples, the shop's PLU file
// and its store name (the example settings name the shop).
void ExpectLoaded(const Shop& shop, const std::vector<std::string>& requests) {
  EXPECT_EQ(Sent(requests, 1, "F134"), ReadFile(SourcePath("examples/F34.DAT")));
  EXPECT_EQ(Sent(requests, 1, "F138"), ReadFile(SourcePath("examples/F38.DAT")));
  EXPECT_NE(shop.Read("qs001F25.dat"), "");
  EXPECT_EQ(Sent(requests, 1, "F125"), shop.Read("qs001F25.dat"));
  EXPECT_EQ(Sent(requests, 1, "F13D"), shop.Read("qs001F52.dat"));
}

// The programs' environment: the scales S0001 to S0003 named through
// nss_wrapper, the transfer program in its default mode with a short wait.
std::vector<std::string> ShopEnvironment(const Shop& shop) {
  std::vector<std::pair<std::string, std::string>> names;
  for (const char* scale : {"S0001", "S0002", "S0003"}) names.emplace_back(scale, shop.address());
  std::vector<std::string> env = HostsEnvironment(shop.root() + "/installed-hosts", names);
  env.insert(env.end(), {"XFLTCPMODE=", "XFLTIMEOUT=5"});
  return env;
}

// A shop folder made from the installed examples; the converter started
// through its link in bin/ finds the prepared files and the transfer program
// in its own folder, and reads the scale back as the example settings say.
TEST(InstalledLayout, LoadsTheExamplePriceList) {
  const std::string prefix = FromEnvironment("SCALELINK_INSTALL_PREFIX", SCALELINK_TEST_INSTALL_PREFIX);
  const std::string examples = prefix + "/share/doc/scalelink/";
  Shop shop;
  for (const char* name : {"velkocon.ini", "VelkoCon.txt"}) shop.Write(name, ReadFile(examples + name));
  ASSERT_TRUE(shop.StartScales());
  auto r = RunProgram(prefix + "/bin/VelkoCon", {"001", "2"}, shop.File(""), ShopEnvironment(shop), kConverterLimitMs);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  // The example settings verify the load.
  EXPECT_EQ(r.err, "scale 001: 38 of 38 PLUs as sent\n");
  EXPECT_EQ(r.out, kBanner);
  ExpectLoaded(shop, shop.Requests());
}

// The zip unpacked into the shop folder, the shop's price list beside it:
// load-all-scales.bat loads every scale of the example settings (001 to
// 003) in one run; 002 is down, the others are loaded all the same, and the
// batch ends with the converter's exit code and what it asks for.
TEST(WindowsZip, BatchLoadsEveryScaleAndNamesTheOneThatFailed) {
  const std::string zip = FromEnvironment("SCALELINK_ZIP_FOLDER");
  ASSERT_NE(zip, "") << "scripts/test-windows.sh names the unpacked zip";
  Shop shop;
  for (const auto& entry : std::filesystem::directory_iterator(zip)) {
    const std::string name = entry.path().filename().string();
    std::filesystem::copy_file(entry.path(), shop.File(name));
    if (name.ends_with(".bat") || name.ends_with(".txt") || name.ends_with(".ini")) {
      const std::string text = shop.Read(name);
      EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'))
          << name << ": every line must end with CR LF";
    }
  }
  shop.Write("VelkoCon.txt", ReadFile(SourcePath("examples/VelkoCon.txt")));
  ASSERT_TRUE(shop.StartScales({1, 3}));
  const std::string shell = FromEnvironment("WINEPREFIX") + "/drive_c/windows/system32/cmd.exe";
  auto r = RunProgram(shell, {"/c", "load-all-scales.bat"}, shop.File(""), ShopEnvironment(shop), kBatchLimitMs);
  EXPECT_EQ(r.status, 6) << r.out << r.err;
  EXPECT_TRUE(r.out.starts_with(std::string("Loading every scale of velkocon.ini ...\n"))) << r.out;
  EXPECT_NE(r.out.find(std::string(kBanner) + "\nThe load ended with exit code 6; each scale's outcome is named above.\n"
                       "A transfer failed: check that each scale named above is on and on the network, then run the "
                       "batch again.\nThe run log is velkocon.log in "),
            std::string::npos)
      << r.out;
  for (const char* file : {"F34", "F38", "F25", "F52"}) {
    EXPECT_NE(r.err.find(std::string("Transfer of ") + file +
                         ".DAT to scale 002 failed: no connection to the scale (result -5)\n"),
              std::string::npos)
        << r.err;
  }
  EXPECT_NE(r.err.find("scale 002: failed: F34.DAT: no connection to the scale (result -5)\n"), std::string::npos)
      << r.err;
  const std::vector<std::string> requests = shop.Requests();
  ExpectLoaded(shop, requests);
  EXPECT_TRUE(std::any_of(requests.begin(), requests.end(),
                          [](const std::string& request) { return request.starts_with("2003 > F125"); }))
      << "scale 003 was loaded too";
}

}  // namespace
