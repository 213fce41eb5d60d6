// Starting the transfer program: the converter's own messages and the
// transfer program's come in the order they happened, and a transfer program
// that cannot be started is named and the run goes on.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/shop.h"

namespace {

using testing_support::kBanner;
using testing_support::kFatal;
using testing_support::Shop;

// A stand-in transfer program in the working folder that says which file it
// fetches and how many arguments it got, and brings a few bytes for file 24.
void InstallTalkingTransfer(const Shop& shop, std::filesystem::perms perms) {
  shop.Write("xferlnk",
             "#!/bin/sh\n"
             "echo \"fetching $1 for $# arguments\"\n"
             "if [ \"$1\" = F24.DAT ]; then printf E2 > \"QS$2T24.DAT\"; fi\n"
             "printf 0 > error\n");
  std::filesystem::permissions(shop.File("xferlnk"), perms);
}

TEST(TransferLauncher, MessagesKeepTheirOrder) {
  Shop shop;
  InstallTalkingTransfer(shop, std::filesystem::perms::owner_all);
  shop.Settings("[Params]\nMGTotal=mg.txt\nPLUTotal=plu.txt\n");
  auto r = shop.Converter({"001", "-Report"});
  EXPECT_EQ(r.out, std::string("fetching F24.DAT for 2 arguments\n"
                               "No data for file: mg.txt\n"
                               "fetching F26.DAT for 2 arguments\n") +
                       kFatal);
  EXPECT_EQ(r.status, 4);
}

// In DHCP mode, where an identifier is a host: the file argument without
// ".DAT", and the identifier as one argument.
TEST(TransferLauncher, DhcpModeHandsTheFileArgumentWithoutItsEnding) {
  Shop shop;
  InstallTalkingTransfer(shop, std::filesystem::perms::owner_all);
  shop.Settings("[Params]\nClerkTotal=yes\n");
  auto r = shop.Converter({"scale-1.shop", "-Report"}, {"XFLTCPMODE=DHCP"});
  EXPECT_EQ(r.out, std::string("fetching F29 for 2 arguments\n") + kBanner);
  EXPECT_EQ(r.status, 0);
}

TEST(TransferLauncher, ProgramThatCannotBeStartedIsNamedAndTheRunGoesOn) {
  Shop shop;
  InstallTalkingTransfer(shop, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  shop.Settings("[Params]\nClerkTotal=yes\nStoreTotal=yes\n");
  auto r = shop.Converter({"001", "-Report"});
  std::string cause = "failed: the transfer program " + shop.File("xferlnk") + " could not be started (";
  EXPECT_NE(r.err.find("Transfer of F29.DAT to scale 001 " + cause), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Transfer of F46.DAT to scale 001 " + cause), std::string::npos) << r.err;
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(r.status, 4);
}

}  // namespace
