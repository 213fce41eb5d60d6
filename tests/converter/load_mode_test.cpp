// The load mode end to end: the converter, the transfer program and the
// scale emulator on a loopback address of the test's own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "support/shop.h"

namespace {

using testing_support::CauseLine;
using testing_support::Reason;
using testing_support::Exists;
using testing_support::kBanner;
using testing_support::kRefused;
using testing_support::kStoreNameRecord;
using testing_support::Shop;
using testing_support::TransferFailedLine;

const char kPriceList[] =
    "123;APPLES;12.50;0\n"
    "4567;CHOCOLATE BAR WITH NUTS 100G;3.20;1;30;98765\n";
// The PLU records of kPriceList under the default settings.
const std::string kPluRecords =
    "00000123002210000D20000000125011052500123000000107064150504C45530C00"
    "00004567003D15000D2001000003201105259876500000010030071843484F434F4C415445204241522057495448204E55545320"
    "0D0704313030470C00";
const char kWithShopName[] = "[Params]\nShop Name=ABC\nCodePage=Win\n";
const char kWithoutShopName[] = "[Params]\nCodePage=Win\n";

std::string Prepared(int key, const std::string& payload_hex) {
  char head[16];
  std::snprintf(head, sizeof head, "%08X%04X", key, static_cast<unsigned>(6 + payload_hex.size() / 2));
  return head + payload_hex;
}

const std::string kF34 = Prepared(1, "0703414243" "0C00") + Prepared(2, "07014B0C00");
const std::string kF38 = Prepared(1, "00000101");
// The requests of the prepared files' transfers, each on its connection.
const std::vector<std::string> kPreparedRequests = {
    "2001 open", "2001 > F134" + kF34.substr(0, 26), "2001 > F134" + kF34.substr(26),
    "2001 open", "2001 > F138" + kF38,
};

// A shop with the programs, the settings, the price list and the prepared
// files in one folder, as a shop installs them.
struct LoadShop : Shop {
  explicit LoadShop(const std::string& settings, const std::string& price_list = kPriceList,
                    const std::string& folder = "shop")
      : Shop(folder, folder) {
    Settings(settings);
    PriceList(price_list);
    PreparedFiles(kF34, kF38);
  }
};

TEST(LoadMode, SendsF34F38PluFileAndStoreNameInOrder) {
  LoadShop shop(kWithShopName);
  ASSERT_TRUE(shop.StartScales());
  auto r = shop.Converter({"001", "2"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(shop.Read("qs001F25.dat"), kPluRecords);
  EXPECT_EQ(shop.Read("qs001F52.dat"), kStoreNameRecord);
  EXPECT_EQ(shop.Read("qs001F34.DAT"), kF34);
  EXPECT_EQ(shop.Read("error"), "0");
  EXPECT_FALSE(shop.Has("retvals"));
  std::vector<std::string> expected = kPreparedRequests;
  expected.insert(expected.end(), {"2001 open", "2001 > F125" + kPluRecords.substr(0, 68),
                                   "2001 > F125" + kPluRecords.substr(68), "2001 open",
                                   "2001 > F13D" + std::string(kStoreNameRecord)});
  EXPECT_EQ(shop.Requests(), expected);
}

TEST(LoadMode, WithoutShopNameSendsTheEmptyKeyFile) {
  LoadShop shop(kWithoutShopName);
  ASSERT_TRUE(shop.StartScales());
  auto r = shop.Converter({"001", "2"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(shop.Read("qs001f92.DAT"), "");
  EXPECT_FALSE(shop.Has("qs001f92.DAT "));
  EXPECT_FALSE(shop.Has("qs001F52.dat"));
  std::vector<std::string> expected = kPreparedRequests;
  expected.insert(expected.end(), {"2001 open", "2001 > F125" + kPluRecords.substr(0, 68),
                                   "2001 > F125" + kPluRecords.substr(68),
                                   "2001 open"});  // the empty key file
  EXPECT_EQ(shop.Requests(), expected);
}

// The shop's own prepared files in the working folder are sent rather than
// the ones beside the converter. One that is in neither folder removes the
// copy an earlier run left, so that old records are never sent, and is named
// as missing; its transfer is not started, and the load goes on.
TEST(LoadMode, PreparedFilesOfTheShopFolderComeFirstAndAMissingOneIsNamed) {
  Shop shop;  // the programs in a folder of their own
  shop.Settings(kWithoutShopName);
  shop.PriceList(kPriceList);
  shop.PreparedFiles(kF34, kF38);
  const std::string own_f38 = Prepared(7, "00000707");
  shop.Write("f38.dat", own_f38);
  std::remove(shop.ProgramFile("F34.DAT").c_str());
  shop.Write("qs001F34.DAT", kF38);  // left by an earlier run
  ASSERT_TRUE(shop.StartScales());
  auto r = shop.Converter({"001", "2"});
  EXPECT_EQ(r.status, 6) << r.out << r.err;
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(r.err, "Transfer of F34.DAT to scale 001 failed: F34.DAT is in neither the shop folder nor the "
                   "converter's folder\n");
  EXPECT_FALSE(shop.Has("qs001F34.DAT"));
  std::vector<std::string> requests = shop.Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[0], "2001 open");  // the F38 transfer: F34's was not started
  EXPECT_EQ(requests[1], "2001 > F138" + own_f38);
}

// Every transfer is tried, each failure named; the run ends with the banner
// and exit code 6.
TEST(LoadMode, ScaleDownStillEndsWithTheBannerAndExitCode6) {
  LoadShop shop(kWithShopName);
  auto r = shop.Converter({"001", "2"});  // no scale listening
  EXPECT_EQ(r.status, 6) << r.out << r.err;
  EXPECT_NE(r.out.find(kRefused), std::string::npos) << r.out;
  EXPECT_TRUE(r.out.ends_with(kBanner)) << r.out;
  std::string expected_err;
  for (const char* file : {"F34.DAT", "F38.DAT", "F25.DAT", "F52.DAT"}) {
    expected_err += "xferlnk: scale 001 (S0001:2001): connection refused\nTransfer of " + std::string(file) +
                    " to scale 001 failed: no connection to the scale (result -5)\n";
  }
  EXPECT_EQ(r.err, expected_err);
  EXPECT_EQ(shop.Read("error"), "001");  // the last transfer, F52
  EXPECT_EQ(shop.Read("retvals"), "-5");
  EXPECT_EQ(shop.Read("qs001F25.dat"), kPluRecords);
}

TEST(LoadMode, ShellCharactersInTheDirectoryRunNothing) {
  LoadShop shop(kWithShopName, kPriceList, "a shop; $(touch PWNED) `touch PWNED2`");
  ASSERT_TRUE(shop.StartScales());
  auto r = shop.Converter({"001", "2"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(shop.Read("error"), "0");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(shop.root())) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name != "PWNED" && name != "PWNED2") << entry.path();
  }
  EXPECT_FALSE(Exists("PWNED"));
}

TEST(LoadMode, StartedFromAnotherWorkingDirectory) {
  Shop shop;  // the programs and the prepared files in a folder of their own
  shop.Settings(kWithShopName);
  shop.PriceList(kPriceList);
  shop.PreparedFiles(kF34, kF38);
  ASSERT_TRUE(shop.StartScales());
  auto r = shop.Converter({"001", "2"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  // Sources from the program directory, copies and scale files in the
  // working directory, where the transfer program (from the program
  // directory) finds them.
  EXPECT_EQ(shop.Read("qs001F34.DAT"), kF34);
  EXPECT_EQ(shop.Read("qs001F38.DAT"), kF38);
  EXPECT_FALSE(Exists(shop.ProgramFile("qs001F34.DAT")));
  EXPECT_EQ(shop.Read("qs001F25.dat"), kPluRecords);
  EXPECT_EQ(shop.Read("error"), "0");
  std::vector<std::string> requests = shop.Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[1], "2001 > F134" + kF34.substr(0, 26));
}

TEST(LoadMode, StoreNameWriteErrorStopsBeforeItsTransfer) {
  LoadShop shop(kWithShopName);
  ASSERT_EQ(mkdir(shop.File("qs001F52.dat").c_str(), 0777), 0);  // cannot be created as a file
  ASSERT_TRUE(shop.StartScales());
  auto r = shop.Converter({"001", "2"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Could not create file.\n" + CauseLine("cannot create qs001F52.dat", Reason::kIsAFolder));
  for (const std::string& line : shop.Requests()) EXPECT_EQ(line.find("F13D"), std::string::npos) << line;
}

// Bad input never reaches the scale: a list whose every line is rejected (the
// separator digit forgotten) sends nothing, and says which digit would do.
TEST(LoadMode, ListWithNoAcceptedLineSendsNothing) {
  LoadShop shop(kWithShopName);
  ASSERT_TRUE(shop.StartScales());
  auto r = shop.Converter({"001"});  // TAB, but the list has semicolons
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.out, kBanner);
  EXPECT_EQ(r.err,
            "Line 1 rejected: line \"123;APPLES;12.50;0\" has fewer than three columns\n"
            "Line 2 rejected: line \"4567;CHOCOLATE BAR WITH NUTS 100G;3.20;1\"... has fewer than three columns\n"
            "2 lines of the price list were rejected\n"
            "Every line has too few columns for the separator in use (TAB) but would have enough with semicolon: "
            "give the separator digit 2.\n"
            "No line of the price list was accepted: nothing was sent to the scale.\n");
  EXPECT_TRUE(shop.Requests().empty());
}

TEST(LoadMode, CheckModeSendsNothing) {
  LoadShop shop(kWithShopName, std::string(kPriceList) + "x;y;z\n");
  ASSERT_TRUE(shop.StartScales());
  auto r = shop.Converter({"001", "2", "-check"});
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.out, "2 articles, 1 rejected lines, 0 warnings\n" + std::string(kBanner));
  EXPECT_EQ(shop.Read("qs001F25.dat"), kPluRecords);
  EXPECT_TRUE(shop.Requests().empty());
}

TEST(LoadMode, TransferProgramThatCannotBeStartedFailsEachTransfer) {
  LoadShop shop(kWithShopName);
  for (const char* name : {"xferlnk", "xferlnk.exe"}) std::remove(shop.ProgramFile(name).c_str());
  auto r = shop.Converter({"001", "2"});
  EXPECT_EQ(r.status, 6);
  EXPECT_TRUE(r.out.ends_with(kBanner));
  EXPECT_NE(r.err.find("Transfer of F34.DAT to scale 001 failed: the transfer program "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Transfer of F52.DAT to scale 001 failed: the transfer program "), std::string::npos) << r.err;
}

// The run log: the run's start and end, each transfer as the converter saw
// it and as the transfer program did.
TEST(LoadMode, RunLogHasOneLinePerEvent) {
  LoadShop shop(kWithShopName);
  ASSERT_TRUE(shop.StartScales());
  auto r = shop.Converter({"001", "2"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string log = shop.Read("velkocon.log");
  std::vector<std::string> events;
  ASSERT_TRUE(log.ends_with("\n")) << log;
  for (std::size_t pos = 0; pos < log.size();) {
    std::size_t end = log.find('\n', pos);
    std::string line = log.substr(pos, end - pos);
    pos = end + 1;
    ASSERT_GT(line.size(), 26u) << line;
    EXPECT_EQ(line[4], '-');  // "2026-12-08T06:00:01+01:00 "
    EXPECT_EQ(line[10], 'T');
    EXPECT_EQ(line[25], ' ');
    std::string event = line.substr(26);
    std::size_t seconds = event.find(" seconds=");
    if (seconds != std::string::npos) event.erase(seconds, event.find(' ', seconds + 1) - seconds);
    events.push_back(event);
  }
  std::vector<std::string> expected = {"VelkoCon start scale=001 mode=load"};
  for (const auto& [file, records] : std::vector<std::pair<std::string, int>>{
           {"F34.DAT", 2}, {"F38.DAT", 1}, {"F25.DAT", 2}, {"F52.DAT", 1}}) {
    expected.push_back("xferlnk scale=001 at=S0001:2001 file=" + file + " records=" +
                       std::to_string(records) + " result=ok");
    expected.push_back("VelkoCon transfer scale=001 file=" + file + " result=ok");
  }
  expected.push_back("VelkoCon end scale=001 mode=load exit=0");
  EXPECT_EQ(events, expected);
}

// DHCP mode through the converter: the transfer program's names are the
// converter's, with an address and with a host name as the identifier.
TEST(LoadMode, DhcpModeEndToEnd) {
  for (const char* identifier : {"address", "ScaleBack"}) {
    LoadShop shop(kWithShopName);
    const std::string scale = std::string(identifier) == "address" ? shop.address() : identifier;
    shop.AddHost("ScaleBack", shop.address());
    shop.SetEnvironment("XFLTCPMODE=dhcp");
    // The port follows from the last number of the address.
    const int port = 2000 + std::stoi(shop.address().substr(shop.address().rfind('.') + 1));
    ASSERT_TRUE(shop.StartScales({port - 2000}));
    auto r = shop.Converter({scale, "2"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(shop.Read("error"), "0");
    std::vector<std::string> requests = shop.Requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), std::to_string(port) + " open"), 4) << identifier;
  }
}

// What a scheduled job learns of a failed transfer: the exit code, the
// transfer program's line and the converter's line on the error stream, and
// the line in the run log, for each of the scale's faults.
TEST(LoadMode, FailedTransfersAreNamedAndLogged) {
  const std::string unknown(70, 'x');  // longer than a label may be: refused without asking
  const struct {
    const char* name;
    std::vector<std::string> faults;  // {} : no scale
    std::vector<std::string> env;
    bool unknown_host;
    std::string xferlnk_cause;
    int result;
  } cases[] = {
      {"refused", {}, {}, false, "connection refused", -5},
      {"unknown host", {}, {"XFLTCPMODE=DHCP"}, true, "host name " + unknown + " not found", -5},
      {"closed after 2", {"--close-after", "2"}, {}, false, "closed the connection after 1 of 2 records", -6},
      {"no answer", {"--no-answer"}, {"XFLTIMEOUT=1"}, false, "no reply within 1 s after 0 of 2 records", -8},
  };
  for (const auto& c : cases) {
    LoadShop shop(kWithShopName);
    if (c.unknown_host) shop.UseHostsFile(false);
    if (!c.faults.empty()) {
      ASSERT_TRUE(shop.StartScales({1}, c.faults));
    }
    const std::string scale = c.unknown_host ? unknown : "001";
    auto r = shop.Converter({scale, "2"}, c.env, 30000);
    EXPECT_EQ(r.status, 6) << c.name;
    const std::string place = c.unknown_host ? unknown : "S0001:2001";
    const std::string transfer_line = TransferFailedLine("F34.DAT", scale, c.result);
    EXPECT_TRUE(r.err.starts_with("xferlnk: scale " + scale + " (" + place + "): " + c.xferlnk_cause + "\n" +
                                  transfer_line))
        << c.name << "\n" << r.err;
    const std::string log = shop.Read("velkocon.log");
    EXPECT_NE(log.find("xferlnk scale=" + scale + " at=" + place + " file=F34"), std::string::npos) << log;
    EXPECT_NE(log.find("result=" + std::to_string(c.result) + " " + c.xferlnk_cause + "\n"), std::string::npos)
        << c.name << "\n" << log;
    EXPECT_NE(log.find("VelkoCon transfer scale=" + scale), std::string::npos) << log;
    EXPECT_NE(log.find(" exit=6 "), std::string::npos) << log;
  }
}

}  // namespace
