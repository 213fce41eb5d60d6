// Starting the transfer program: the converter's own messages and the
// transfer program's come in the order they happened, and a transfer program
// that cannot be started is named and the run goes on.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace {

using testing_support::BinPath;
using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFile;

const char kBanner[] = "Conversion finished.\nPrice-list converter for networked scales.\n";

// A stand-in transfer program that says which file it fetches and how many
// arguments it got, and brings a few bytes for file 24.
const char kTalkingTransfer[] =
    "#!/bin/sh\n"
    "echo \"fetching $1 for $# arguments\"\n"
    "if [ \"$1\" = F24.DAT ]; then printf E2 > \"QS$2T24.DAT\"; fi\n";

void Install(const TempDir& dir, const char* script, std::filesystem::perms perms) {
  WriteFile(dir.File("xferlnk"), script);
  std::filesystem::permissions(dir.File("xferlnk"), perms);
}

TEST(TransferLauncher, MessagesKeepTheirOrder) {
  TempDir dir;
  Install(dir, kTalkingTransfer, std::filesystem::perms::owner_all);
  WriteFile(dir.File("velkocon.ini"), "[Params]\nMGTotal=mg.txt\nPLUTotal=plu.txt\n");
  auto r = RunProgram(BinPath("VelkoCon"), {"001", "-Report"}, dir.path());
  EXPECT_EQ(r.out,
            "fetching F24.DAT for 2 arguments\n"
            "No data for file: mg.txt\n"
            "fetching F26.DAT for 2 arguments\n"
            "File length error\nFatal error\n");
  EXPECT_EQ(r.status, 4);
}

TEST(TransferLauncher, IdentifierIsSplitAtBlanks) {
  TempDir dir;
  Install(dir, kTalkingTransfer, std::filesystem::perms::owner_all);
  WriteFile(dir.File("velkocon.ini"), "[Params]\nClerkTotal=yes\n");
  auto r = RunProgram(BinPath("VelkoCon"), {"  1  2 ", "-Report"}, dir.path());
  EXPECT_EQ(r.out, std::string("fetching F29.DAT for 3 arguments\n") + kBanner);
  EXPECT_EQ(r.status, 0);
}

TEST(TransferLauncher, ProgramThatCannotBeStartedIsNamedAndTheRunGoesOn) {
  TempDir dir;
  Install(dir, kTalkingTransfer, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  WriteFile(dir.File("velkocon.ini"), "[Params]\nClerkTotal=yes\nStoreTotal=yes\n");
  auto r = RunProgram(BinPath("VelkoCon"), {"001", "-Report"}, dir.path());
  std::string line = "Could not start the transfer program " + dir.File("xferlnk") + "\n";
  EXPECT_EQ(r.err, line + line);
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(r.status, 0);
}

}  // namespace
