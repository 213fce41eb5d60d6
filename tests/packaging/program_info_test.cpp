// What each program says about itself: "--version" and the help words print
// "NAME VERSION" first and exit 0, in a folder without settings, which they
// leave as it was (no run log, no lock file). With SCALELINK_PROGRAM_DIR set
// (scripts/test-windows.sh), the Windows programs of the zip.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support_posix.h"

namespace {

using testing_support::BinPath;
using testing_support::RunProgram;
using testing_support::TempDir;

TEST(ProgramInfo, VersionAndHelpInAFolderWithoutSettings) {
  for (const std::string program : {"VelkoCon", "xferlnk", "scalesim"}) {
    const std::string version_line = program + " " + SCALELINK_TEST_VERSION + "\n";
    for (const std::string word : {"--version", "--help", "-h", "/?"}) {
      SCOPED_TRACE(program + " " + word);
      TempDir folder;
      auto r = RunProgram(BinPath(program), {word}, folder.path());
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "");
      EXPECT_TRUE(r.out.starts_with(version_line)) << r.out;
      // The help goes on after the version line; the version is that line alone.
      EXPECT_EQ(r.out == version_line, word == "--version") << r.out;
      EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    }
  }
}

}  // namespace
