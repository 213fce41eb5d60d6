// The retrieval modes end to end: the converter, the transfer program and
// the scale emulator on a loopback address of the test's own. The scale is
// loaded from the bundled price list and sells before the reports are
// fetched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using testing_support::BinPath;
using testing_support::Exists;
using testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::RunProgram;
using testing_support::ScaleSim;
using testing_support::SourcePath;
using testing_support::TempDir;
using testing_support::WriteFile;

const char kBanner[] = "Conversion finished.\nPrice-list converter for networked scales.\n";

const char kSettings[] =
    "[Params]\r\n"
    "CodePage=Win\r\n"
    "Shop Name=Corner Market\r\n"
    "MGTotal=mgtotal.txt\r\n"
    "PLUTotal=plutotal.txt\r\n"
    "ClerkTotal=clerk\r\n"
    "StoreTotal=store\r\n"
    "Transact=transact.txt\r\n"
    "RTBuffer=rtbuffer.txt\r\n";

// The shop's working directory with the settings and the bundled price
// list, its scale 1 served by the emulator on the test's own address, and a
// hosts file that maps the scale's name to it.
class ReportShop : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir_.File("velkocon.ini"), kSettings);
    WriteFile(dir_.File("VelkoCon.txt"), ReadFile(SourcePath("examples/VelkoCon.txt")));
    address_ = testing_support::LoopbackAddressForTest();
    env_ = testing_support::HostsEnvironment(store_dir_.File("hosts"), {{"S0001", address_}});
  }

  bool StartScale() { return sim_.Start(store_dir_.File("scales"), {address_ + ":2001"}); }

  ProgramResult Run(const std::vector<std::string>& arguments) {
    return RunProgram(BinPath("VelkoCon"), arguments, dir_.path(), env_, 60000);
  }

  std::string File(const std::string& name) { return ReadFile(dir_.File(name)); }

  TempDir dir_;        // the shop's working directory
  TempDir store_dir_;  // the emulator's store, its log and the hosts file
  std::string address_;
  std::vector<std::string> env_;
  ScaleSim sim_;
};

TEST_F(ReportShop, EmptyScaleGivesEmptyReports) {
  ASSERT_TRUE(StartScale());
  for (const char* option : {"-Report", "-Transact", "-RTBuffer"}) {
    ProgramResult r = Run({"001", "2", option});
    EXPECT_EQ(r.status, 0) << option << r.out << r.err;
    EXPECT_EQ(r.out, kBanner) << option;
  }
  for (const char* report : {"mgtotal.txt", "plutotal.txt", "transact.txt", "rtbuffer.txt"}) {
    EXPECT_EQ(File(report), "") << report;
  }
  EXPECT_FALSE(Exists(dir_.File("clerk")));
  EXPECT_FALSE(Exists(dir_.File("store")));
  // Every file of the report table was asked for, in order.
  std::string log = sim_.Log();
  std::size_t last = 0;
  for (const char* code : {"> F72400000000", "> F72600000000", "> F74500000000", "> F74600000000", "> F72E00000000",
                           "> F75100000000"}) {
    std::size_t at = log.find(code);
    ASSERT_NE(at, std::string::npos) << code << "\n" << log;
    EXPECT_GE(at, last) << code;
    last = at;
  }
}

// The scale is down: the transfer program cannot even connect, so the
// incoming file of the earlier fetch stays as it was. It is not converted
// again; the run ends without the banner, the old report gone.
TEST_F(ReportShop, FailedFetchDoesNotReportOldData) {
  ASSERT_TRUE(StartScale());
  ProgramResult first = Run({"001", "2", "-Transact"});
  ASSERT_EQ(first.status, 0) << first.out << first.err;
  ASSERT_TRUE(Exists(dir_.File("transact.txt")));
  std::string incoming = File("QS001T30.DAT");
  ASSERT_EQ(incoming, "E200000000");
  sim_.Stop();

  ProgramResult second = Run({"001", "2", "-Transact"});
  EXPECT_EQ(second.status, 4);
  std::string tail = "File length error\nFatal error\n";
  ASSERT_GE(second.out.size(), tail.size()) << second.out;
  EXPECT_EQ(second.out.substr(second.out.size() - tail.size()), tail) << second.out;
  EXPECT_EQ(second.out.find("Conversion finished."), std::string::npos) << second.out;
  EXPECT_FALSE(Exists(dir_.File("transact.txt")));
  EXPECT_EQ(File("QS001T30.DAT"), incoming);
}

}  // namespace
