// The whole shop in one run: several scales named at once ("all" for those
// of the setting Scales, or joined by commas), every transfer to every
// scale, a scale that is off never holding the others back, each scale's
// reports in files of its own, and message lines that stay whole however
// many scales the transfer program serves at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/shop.h"

namespace {

using testing_support::kBanner;
using testing_support::ShopTest;

const char kPriceList[] = "1;Bananas;0.99;0\n2;Apples;2.49;0\n3;Milk;0.89;1\n";

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The records of file code 25 scale N holds, once the emulator has stopped.
std::size_t PlusHeld(const ShopTest& shop, int scale) {
  char path[32];
  std::snprintf(path, sizeof path, "/%03d/tables.hex", scale);
  std::size_t count = 0;
  for (const std::string& line : LinesOf(testing_support::ReadFile(shop.Store() + path))) count += line.starts_with("25 ");
  return count;
}

using WholeShop = ShopTest;

// Three scales, the second switched off: the other two are loaded, the run
// exits 6, and both the transfers and the summary name the scale that is off.
TEST_F(WholeShop, ThreeScalesOneSwitchedOff) {
  Settings("[Params]\r\nCodePage=Win\r\nShop Name=Corner\r\nScales=001 002, 003\r\n");
  PriceList(kPriceList);
  PreparedFiles("00000001000A07024142", "0000000100080001");
  ASSERT_TRUE(StartScales({1, 3}));
  auto r = Converter({"ALL", "2"});
  EXPECT_EQ(r.status, 6) << r.out << r.err;
  EXPECT_TRUE(r.out.ends_with(kBanner)) << r.out;
  ASSERT_TRUE(StopScales());
  EXPECT_EQ(PlusHeld(*this, 1), 3u);
  EXPECT_EQ(PlusHeld(*this, 3), 3u);
  std::vector<std::string> err = LinesOf(r.err);
  for (const char* file : {"F34.DAT", "F38.DAT", "F25.DAT", "F52.DAT"}) {
    EXPECT_NE(std::find(err.begin(), err.end(), "Transfer of " + std::string(file) +
                                                    " to scale 002 failed: no connection to the scale (result -5)"),
              err.end())
        << file << "\n" << r.err;
  }
  ASSERT_GE(err.size(), 3u);
  const std::vector<std::string> summary(err.end() - 3, err.end());
  EXPECT_TRUE(std::regex_match(summary[0], std::regex("scale 001: 3 PLUs in [0-9]+\\.[0-9] s"))) << summary[0];
  EXPECT_EQ(summary[1], "scale 002: failed: F34.DAT: no connection to the scale (result -5)");
  EXPECT_TRUE(std::regex_match(summary[2], std::regex("scale 003: 3 PLUs in [0-9]+\\.[0-9] s"))) << summary[2];
  EXPECT_NE(Read("velkocon.log").find("VelkoCon scale 002: failed: F34.DAT: no connection"), std::string::npos);
}

// Each scale's transactions go into its own report, named by {scale}.
TEST_F(WholeShop, ReportsOfThreeScalesGoIntoTheirScaleFiles) {
  Settings("[Params]\r\nTransact=transact-{scale}.txt\r\n");
  for (int scale = 1; scale <= 3; ++scale) {
    char record[96];
    std::snprintf(record, sizeof record, "2E %08d001D000000260000237800000000000%d000047080712260803\n", scale, scale);
    SeedStore(scale, record);
  }
  ASSERT_TRUE(StartScales({1, 2, 3}));
  auto r = Converter({"001,002,003", "2", "-Transact"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, kBanner);
  for (int scale = 1; scale <= 3; ++scale) {
    const std::string report = Read("transact-00" + std::to_string(scale) + ".txt");
    EXPECT_TRUE(report.starts_with(std::to_string(scale) + ";")) << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
  }
}

TEST_F(WholeShop, SeveralScalesNeedScaleInTheReportNamesAndAllNeedsScales) {
  const struct {
    const char* ini;
    const char* scale;
    const char* out;
    const char* err;
  } cases[] = {
      {"[Params]\r\nTransact=transact.txt\r\nScales=001 002\r\n", "all",
       "The report file Transact=transact.txt does not hold {scale}, and the run fetches from several scales.\n", ""},
      {"[Params]\r\nTransact=t-{scale}.txt\r\n", "All", "No scale in Scales\n",
       "VelkoCon: \"All\" stands for the scales of the setting Scales in velkocon.ini, which names none\n"},
  };
  for (const auto& c : cases) {
    Settings(c.ini);
    auto r = Converter({c.scale, "-Transact"});
    EXPECT_EQ(r.status, 255) << c.ini;
    EXPECT_EQ(r.out, c.out) << c.ini;
    EXPECT_EQ(r.err, c.err) << c.ini;
  }
}

// Six scales that are all off, served at once: the two-part messages of
// each ("Connect error", then "Connection error" on a line of its own) come
// out as whole lines, each pair together, never cut by another scale's.
TEST_F(WholeShop, NoMessageLineIsEverInterleaved) {
  Write("QS001F92.DAT", "");
  for (int scale = 1; scale <= 6; ++scale) Write("QS00" + std::to_string(scale) + "F92.DAT", "00000001");
  for (int round = 0; round < 5; ++round) {
    auto r = Transfer({"F92.DAT", "1", "2", "3", "4", "5", "6"}, {"XFLPARALLEL=6"});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> out = LinesOf(r.out);
    ASSERT_EQ(out.size(), 12u) << r.out;
    for (std::size_t i = 0; i < out.size(); i += 2) {
      EXPECT_EQ(out[i], "Connect error 10061") << r.out;
      EXPECT_EQ(out[i + 1], "Connection error fffffffb") << r.out;
    }
    std::vector<std::string> err = LinesOf(r.err);
    std::sort(err.begin(), err.end());
    ASSERT_EQ(err.size(), 6u) << r.err;
    for (int scale = 1; scale <= 6; ++scale) {
      EXPECT_EQ(err[static_cast<std::size_t>(scale - 1)],
                "xferlnk: scale " + std::to_string(scale) + " (S000" + std::to_string(scale) + ":200" +
                    std::to_string(scale) + "): connection refused");
    }
    EXPECT_EQ(Read("error"), "1;2;3;4;5;6");
    EXPECT_EQ(Read("retvals"), "-5;-5;-5;-5;-5;-5");
  }
}

// One after another (XFLPARALLEL=1, the default) or all at once, the
// scales get the same requests, and the result files list the failed ones
// in the order of the command line.
TEST_F(WholeShop, AtOnceOrInTurnTheScalesGetTheSameRequests) {
  std::string records;
  for (int key = 1; key <= 10; ++key) {
    char record[16];
    std::snprintf(record, sizeof record, "%08d0006", key);
    records += record;
  }
  for (const char* scale : {"001", "002", "003"}) Write(std::string("QS") + scale + "F25.DAT", records);
  std::vector<std::string> requests[2];
  for (int parallel : {1, 3}) {
    ASSERT_TRUE(StartScales({1, 3}));
    auto r = Transfer({"F25.DAT", "001", "002", "003"}, {"XFLPARALLEL=" + std::to_string(parallel)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Connect error 10061\nConnection error fffffffb\n") << parallel;
    EXPECT_EQ(r.err, "xferlnk: scale 002 (S0002:2002): connection refused\n") << parallel;
    EXPECT_EQ(Read("error"), "002");
    EXPECT_EQ(Read("retvals"), "-5");
    // The emulator's log goes on from the first run: the second's requests follow.
    std::vector<std::string> all = Requests();
    std::vector<std::string>& these = requests[parallel == 1 ? 0 : 1];
    these.assign(all.begin() + static_cast<std::ptrdiff_t>(requests[0].size()), all.end());
    std::stable_sort(these.begin(), these.end(),
                     [](const std::string& a, const std::string& b) { return a.substr(0, 4) < b.substr(0, 4); });
  }
  EXPECT_EQ(requests[0], requests[1]);
  EXPECT_EQ(requests[0].size(), 2u * 11u);  // an open and ten records on each of the two scales
}

}  // namespace
