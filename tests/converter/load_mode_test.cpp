// The load mode end to end: the converter, the transfer program and the
// scale emulator on a loopback address of the test's own.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "support/test_support.h"

namespace {

using testing_support::BinPath;
using testing_support::Exists;
using testing_support::HostsEnvironment;
using testing_support::LoopbackAddressForTest;
using testing_support::ReadFile;
using testing_support::RunProgram;
using testing_support::ScaleSim;
using testing_support::TempDir;
using testing_support::WriteFile;

const char kPriceList[] =
    "123;APPLES;12.50;0\n"
    "4567;CHOCOLATE BAR WITH NUTS 100G;3.20;1;30;98765\n";
// The PLU records of kPriceList under the default settings.
const char kPluRecords[] =
    "00000123002210000D20000000125011052500123000000107064150504C45530C00"
    "00004567003D15000D2001000003201105259876500000010030071843484F434F4C415445204241522057495448204E55545320"
    "0D0704313030470C00";

// A shop folder: the programs, the settings and the price list in one
// directory (the program directory is the working directory), and host names
// that resolve to the test's own loopback address.
class Shop {
 public:
  explicit Shop(const std::string& settings, const std::string& price_list = kPriceList) {
    dir_ = temp_.path() + "/shop";
    mkdir(dir_.c_str(), 0777);
    Install(dir_);
    WriteFile(File("velkocon.ini"), settings);
    WriteFile(File("VelkoCon.txt"), price_list);
    address_ = LoopbackAddressForTest();
    env_ = HostsEnvironment(temp_.File("hosts"), {{"S0001", address_}, {"S0002", address_}});
  }

  void Install(const std::string& dir) {
    for (const char* program : {"VelkoCon", "xferlnk"}) {
      std::filesystem::copy_file(BinPath(program), dir + "/" + program);
      chmod((dir + "/" + program).c_str(), 0755);
    }
  }

  bool StartScale(const std::vector<std::string>& ports = {"2001"}) {
    std::vector<std::string> listen;
    for (const std::string& port : ports) listen.push_back(address_ + ":" + port);
    return sim_.Start(temp_.File("scales"), listen);
  }

  testing_support::ProgramResult Run(const std::vector<std::string>& args, const std::string& cwd = "") {
    return RunProgram(dir_ + "/VelkoCon", args, cwd.empty() ? dir_ : cwd, env_, 60000);
  }

  // The connections ("open") and the requests the scale received, in order.
  // Replies and the "close" events are left out: the emulator may notice a
  // close only after the next transfer has connected.
  // The scale is stopped first, so that its log is complete.
  std::vector<std::string> Requests() {
    sim_.Stop();
    std::vector<std::string> lines;
    std::string log = sim_.Log();
    std::size_t pos = 0;
    while (pos < log.size()) {
      std::size_t end = log.find('\n', pos);
      std::string line = log.substr(pos, end - pos);
      pos = end == std::string::npos ? log.size() : end + 1;
      if (line.find(" < ") == std::string::npos && !line.ends_with(" close")) lines.push_back(line);
    }
    return lines;
  }

  std::string File(const std::string& name) const { return dir_ + "/" + name; }
  const std::string& dir() const { return dir_; }
  TempDir& temp() { return temp_; }
  ScaleSim& sim() { return sim_; }

 private:
  TempDir temp_;
  std::string dir_;
  std::string address_;
  std::vector<std::string> env_;
  ScaleSim sim_;
};

std::string Prepared(int key, const std::string& payload_hex) {
  char head[16];
  std::snprintf(head, sizeof head, "%08X%04X", key, static_cast<unsigned>(6 + payload_hex.size() / 2));
  return head + payload_hex;
}

const std::string kF34 = Prepared(1, "0703414243" "0C00") + Prepared(2, "07014B0C00");
const std::string kF38 = Prepared(1, "00000101");

TEST(LoadMode, SendsF34F38PluFileAndStoreNameInOrder) {
  Shop shop("[Params]\nShop Name=ABC\nCodePage=Win\n");
  WriteFile(shop.File("F34.DAT"), kF34);
  WriteFile(shop.File("F38.DAT"), kF38);
  ASSERT_TRUE(shop.StartScale());
  auto r = shop.Run({"001", "2"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "Conversion finished.\nPrice-list converter for networked scales.\n");
  EXPECT_EQ(ReadFile(shop.File("qs001F25.dat")), kPluRecords);
  EXPECT_EQ(ReadFile(shop.File("qs001F52.dat")), "00000001000F001105034142430C00");
  EXPECT_EQ(ReadFile(shop.File("qs001F34.DAT")), kF34);
  EXPECT_EQ(ReadFile(shop.File("error")), "0");
  EXPECT_FALSE(Exists(shop.File("retvals")));

  std::vector<std::string> expected = {
      "2001 open", "2001 > F134" + kF34.substr(0, 26), "2001 > F134" + kF34.substr(26),
      "2001 open", "2001 > F138" + kF38,
      "2001 open", "2001 > F125" + std::string(kPluRecords).substr(0, 68),
      "2001 > F125" + std::string(kPluRecords).substr(68),
      "2001 open", "2001 > F13D00000001000F001105034142430C00",
  };
  EXPECT_EQ(shop.Requests(), expected);
}

TEST(LoadMode, WithoutShopNameSendsTheEmptyKeyFile) {
  Shop shop("[Params]\nCodePage=Win\n", "");
  WriteFile(shop.File("F34.DAT"), kF34);
  WriteFile(shop.File("F38.DAT"), kF38);
  ASSERT_TRUE(shop.StartScale());
  auto r = shop.Run({"001", "2"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(ReadFile(shop.File("qs001F25.dat")), "");  // an empty price list
  EXPECT_EQ(ReadFile(shop.File("qs001f92.DAT")), "");
  EXPECT_FALSE(Exists(shop.File("qs001f92.DAT ")));
  EXPECT_FALSE(Exists(shop.File("qs001F52.dat")));
  std::vector<std::string> expected = {
      "2001 open", "2001 > F134" + kF34.substr(0, 26), "2001 > F134" + kF34.substr(26),
      "2001 open", "2001 > F138" + kF38,
      "2001 open",  // the empty PLU file
      "2001 open",  // the empty key file
  };
  EXPECT_EQ(shop.Requests(), expected);
}

TEST(LoadMode, MissingPreparedFileStillStartsItsTransfer) {
  Shop shop("[Params]\nCodePage=Win\n");
  WriteFile(shop.File("F38.DAT"), kF38);
  ASSERT_TRUE(shop.StartScale());
  auto r = shop.Run({"001", "2"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("\nfopen QS001F34.DAT failed err = 2\n"), std::string::npos) << r.out;
  std::vector<std::string> requests = shop.Requests();
  ASSERT_GE(requests.size(), 3u);
  EXPECT_EQ(requests[0], "2001 open");  // the F34 transfer connected, then found no file
  EXPECT_EQ(requests[1], "2001 open");
  EXPECT_EQ(requests[2], "2001 > F138" + kF38);
}

TEST(LoadMode, ScaleDownStillEndsWithTheBanner) {
  Shop shop("[Params]\nShop Name=ABC\nCodePage=Win\n");
  auto r = shop.Run({"001", "2"});  // no scale listening
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Connect error 10061\nConnection error fffffffb\n"), std::string::npos) << r.out;
  EXPECT_TRUE(r.out.ends_with("Conversion finished.\nPrice-list converter for networked scales.\n")) << r.out;
  EXPECT_EQ(ReadFile(shop.File("error")), "001");  // the last transfer, F52
  EXPECT_EQ(ReadFile(shop.File("retvals")), "-5");
  EXPECT_EQ(ReadFile(shop.File("qs001F25.dat")), kPluRecords);
}

TEST(LoadMode, ShellCharactersInTheDirectoryRunNothing) {
  Shop shop("[Params]\nShop Name=ABC\nCodePage=Win\n");
  std::string odd = shop.temp().path() + "/a shop; $(touch PWNED) `touch PWNED2`";
  ASSERT_EQ(mkdir(odd.c_str(), 0777), 0);
  shop.Install(odd);
  WriteFile(odd + "/velkocon.ini", "[Params]\nShop Name=ABC\nCodePage=Win\n");
  WriteFile(odd + "/VelkoCon.txt", kPriceList);
  ASSERT_TRUE(shop.StartScale());
  auto r = RunProgram(odd + "/VelkoCon", {"001", "2"}, odd,
                      HostsEnvironment(shop.temp().File("hosts"), {{"S0001", LoopbackAddressForTest()}}), 60000);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(ReadFile(odd + "/error"), "0");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(shop.temp().path())) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name != "PWNED" && name != "PWNED2") << entry.path();
  }
  EXPECT_FALSE(Exists("PWNED"));
}

TEST(LoadMode, IdentifierWithABlankAsksForTwoScales) {
  Shop shop("[Params]\nCodePage=Win\n");
  ASSERT_TRUE(shop.StartScale({"2001", "2002"}));
  auto r = shop.Run({"1 2", "2"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_TRUE(Exists(shop.File("qs1 2F25.dat")));
  // The transfer program names its files by scale number (QS001..., QS002...),
  // which the identifier "1 2" does not give: both scales are contacted and
  // both fail on the missing file.
  EXPECT_EQ(ReadFile(shop.File("error")), "1;2");
  EXPECT_EQ(ReadFile(shop.File("retvals")), "-1;-1");
  std::vector<std::string> requests = shop.Requests();
  EXPECT_NE(std::find(requests.begin(), requests.end(), "2002 open"), requests.end());
}

TEST(LoadMode, StartedFromAnotherWorkingDirectory) {
  Shop shop("[Params]\nShop Name=ABC\nCodePage=Win\n");
  WriteFile(shop.File("F34.DAT"), kF34);
  WriteFile(shop.File("F38.DAT"), kF38);
  std::string work = shop.temp().path() + "/work";
  ASSERT_EQ(mkdir(work.c_str(), 0777), 0);
  WriteFile(work + "/velkocon.ini", "[Params]\nShop Name=ABC\nCodePage=Win\n");
  WriteFile(work + "/VelkoCon.txt", kPriceList);
  ASSERT_TRUE(shop.StartScale());
  auto r = shop.Run({"001", "2"}, work);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  // Sources from the program directory, copies and scale files in the
  // working directory, where the transfer program (from the program
  // directory) finds them.
  EXPECT_EQ(ReadFile(work + "/qs001F34.DAT"), kF34);
  EXPECT_EQ(ReadFile(work + "/qs001F38.DAT"), kF38);
  EXPECT_FALSE(Exists(shop.File("qs001F34.DAT")));
  EXPECT_EQ(ReadFile(work + "/qs001F25.dat"), kPluRecords);
  EXPECT_EQ(ReadFile(work + "/error"), "0");
  std::vector<std::string> requests = shop.Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[1], "2001 > F134" + kF34.substr(0, 26));
}

TEST(LoadMode, StoreNameWriteErrorStopsBeforeItsTransfer) {
  Shop shop("[Params]\nShop Name=ABC\nCodePage=Win\n");
  ASSERT_EQ(mkdir(shop.File("qs001F52.dat").c_str(), 0777), 0);  // cannot be created as a file
  ASSERT_TRUE(shop.StartScale());
  auto r = shop.Run({"001", "2"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Could not create file.\n");
  for (const std::string& line : shop.Requests()) EXPECT_EQ(line.find("F13D"), std::string::npos) << line;
}

}  // namespace
