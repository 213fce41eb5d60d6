// Verified loads, the verify mode and the removal of the PLUs the price list
// does not name, end to end: the converter, the transfer program and the
// scale emulator on the test's own loopback address.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "support/shop.h"

namespace {

using testing_support::ShopTest;

const char kPriceList[] = "1;Bananas;0.99;0\n2;Apples;2.49;0\n3;Milk;0.89;1\n";
const char kVerified[] = "[Params]\r\nCodePage=Win\r\nShop Name=Corner\r\nVerify=1\r\n";
const char kRemoving[] = "[Params]\r\nCodePage=Win\r\nShop Name=Corner\r\nVerify=1\r\nRemove Other PLUs=1\r\n";
// PLUs 50, 60 and 70 as some earlier list left them.
const char kOldPlus[] = "25 00000050000E11000D2000000001\n25 00000060000E11000D2000000001\n"
                        "25 00000070000E11000D2000000001\n";

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The records of a PLU file's hex text, by their length fields.
std::vector<std::string> RecordsOf(const std::string& hex) {
  std::vector<std::string> records;
  for (std::size_t at = 0; at + 12 <= hex.size();) {
    const std::size_t chars = 2 * std::stoul(hex.substr(at + 8, 4), nullptr, 16);
    records.push_back(hex.substr(at, chars));
    at += chars;
  }
  return records;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The keys of the key packets among the requests ("00000050").
std::vector<std::string> DeletedKeys(const std::vector<std::string>& requests) {
  std::vector<std::string> keys;
  for (const std::string& request : requests) {
    const std::size_t at = request.find(" > F325");
    if (at != std::string::npos) keys.push_back(request.substr(at + 7));
  }
  return keys;
}

// The PLU numbers scale N holds once the emulator has stopped (keys as text).
std::vector<std::string> HeldKeys(const ShopTest& shop, int scale) {
  char path[32];
  std::snprintf(path, sizeof path, "/%03d/tables.hex", scale);
  std::vector<std::string> keys;
  for (const std::string& line : LinesOf(testing_support::ReadFile(shop.Store() + path))) {
    if (line.starts_with("25 ")) keys.push_back(line.substr(3, 8));
  }
  return keys;
}

struct Verification : ShopTest {
  void SetUp() override { PreparedFiles("00000001000A07024142", "0000000100080001"); }
};

// A load read back from a scale that stores what it is sent, one that alters
// or drops a record, and one that drops every record of a longer list (the
// first ten named, the rest counted).
TEST_F(Verification, LoadReadBackNamesThePlusNotAsSent) {
  std::string twelve;
  for (int plu = 1; plu <= 12; ++plu) twelve += std::to_string(plu) + ";Item;1.00;0\n";
  std::string dropped_all = "scale 001: 0 of 12 PLUs as sent";
  for (int plu = 1; plu <= 10; ++plu) dropped_all += "; PLU " + std::to_string(plu) + " missing";
  dropped_all += "; and 2 more missing or different";
  const struct {
    std::vector<std::string> faults;
    std::string price_list;
    int status;
    std::string line;
  } cases[] = {
      {{}, kPriceList, 0, "scale 001: 3 of 3 PLUs as sent"},
      {{"--alter-plu", "2"}, kPriceList, 7, "scale 001: 2 of 3 PLUs as sent; PLU 2 differs in price"},
      {{"--drop-plu", "3"}, kPriceList, 7, "scale 001: 2 of 3 PLUs as sent; PLU 3 missing"},
      {{"--drop-plu", "1"}, twelve, 7, dropped_all},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Settings(kVerified);
    PriceList(c.price_list);
    SeedStore(1, "");
    ASSERT_TRUE(StartScales({1}, c.faults));
    auto r = Converter({"001", "2"});
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_EQ(r.err, c.line + "\n");
    EXPECT_NE(Read("velkocon.log").find("VelkoCon " + c.line + "\n"), std::string::npos);
    ASSERT_TRUE(StopScales());
  }
}

// -Verify reads the scale and sends no record, key or file packet; it says
// what differs and what the scale holds that the list does not name.
TEST_F(Verification, VerifyModeOnlyReads) {
  Settings("[Params]\r\nCodePage=Win\r\n");
  PriceList(kPriceList);
  ASSERT_EQ(Converter({"001", "2", "-Check"}).status, 0);
  const std::vector<std::string> plus = RecordsOf(Read("qs001F25.dat"));
  ASSERT_EQ(plus.size(), 3u);
  std::string renamed = plus[1];
  renamed[renamed.size() - 6] = '5';  // the name's last letter, "s", becomes "S"
  SeedStore(1, "25 " + plus[0] + "\n25 " + renamed + "\n" + kOldPlus);
  ASSERT_TRUE(StartScales());
  auto r = Converter({"001", "2", "-verify"});
  EXPECT_EQ(r.status, 7) << r.out << r.err;
  EXPECT_EQ(r.err, "scale 001: 1 of 3 PLUs as sent; PLU 2 differs in name; PLU 3 missing; "
                   "3 PLUs the price list does not name: 50, 60, 70\n");
  const std::vector<std::string> requests = Requests();
  ASSERT_EQ(requests.size(), 7u);  // the open and 6 reads: 5 records and the end
  for (const std::string& request : requests) {
    EXPECT_TRUE(request == "2001 open" || request.starts_with("2001 > F725")) << request;
  }
  EXPECT_EQ(HeldKeys(*this, 1), (std::vector<std::string>{"00000001", "00000002", "00000050", "00000060", "00000070"}));
}

// Removal deletes exactly the PLUs no line names: 70 is named by a rejected
// line and stays.
TEST_F(Verification, RemovalDeletesThePlusNoLineNames) {
  Settings(kRemoving);
  PriceList(std::string(kPriceList) + "70;Old;abc\n");
  SeedStore(1, kOldPlus);
  ASSERT_TRUE(StartScales());
  auto r = Converter({"001", "2"});
  EXPECT_EQ(r.status, 5) << r.out << r.err;
  const std::vector<std::string> err = LinesOf(r.err);
  EXPECT_TRUE(Contains(err, "Deleted from scale 001: 2 PLUs that the price list does not name.")) << r.err;
  EXPECT_EQ(err.back(), "scale 001: 3 of 3 PLUs as sent");
  EXPECT_NE(Read("velkocon.log").find("VelkoCon deleted scale=001 plus=50,60\n"), std::string::npos);
  EXPECT_EQ(DeletedKeys(Requests()), (std::vector<std::string>{"00000050", "00000060"}));
  EXPECT_EQ(HeldKeys(*this, 1), (std::vector<std::string>{"00000001", "00000002", "00000003", "00000070"}));
}

// Nothing is deleted when the read-back breaks, when no line was accepted,
// or when more PLUs would go than Remove Limit allows.
TEST_F(Verification, RemovalDeletesNothingWhenInDoubt) {
  const struct {
    const char* name;
    std::string settings;
    std::string price_list;
    std::vector<std::string> faults;
    int status;
    std::string err_line;
  } cases[] = {
      {"read-back broken", kRemoving, kPriceList, {"--close-after", "4"}, 6,
       "scale 001: failed: F85.DAT: a reply is missing, or the scale's records did not end as they must (result -6)"},
      {"nothing accepted", kRemoving, "a1;Apples;1.00;0\n", {}, 5,
       "No line of the price list was accepted: nothing was sent to the scale."},
      {"over the limit", std::string(kRemoving) + "Remove Limit=2\r\n", kPriceList, {}, 7,
       "Scale 001 holds 3 PLUs that the price list does not name, more than Remove Limit=2: none deleted."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Settings(c.settings);
    PriceList(c.price_list);
    SeedStore(1, kOldPlus);
    ASSERT_TRUE(StartScales({1}, c.faults));
    auto r = Converter({"001", "2"});
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_TRUE(Contains(LinesOf(r.err), c.err_line)) << r.err;
    EXPECT_TRUE(DeletedKeys(Requests()).empty());
    const std::vector<std::string> held = HeldKeys(*this, 1);
    for (const char* key : {"00000050", "00000060", "00000070"}) EXPECT_TRUE(Contains(held, key)) << key;
  }
}

// Two scales read back at once, one of them altering a record: one line
// each, and exit code 7.
TEST_F(Verification, TwoScalesOneAltered) {
  Settings(std::string(kVerified) + "Scales=001 002\r\n");
  PriceList(kPriceList);
  // Scale 001 stores one record first, so that its third PLU of the load is
  // the fourth it stores, and the one altered.
  Write("QS001F25.DAT", "000000990006");
  ASSERT_TRUE(StartScales({1, 2}, {"--alter-plu", "4"}));
  ASSERT_EQ(Transfer({"F25.DAT", "001"}).status, 0);
  auto r = Converter({"all", "2"});
  EXPECT_EQ(r.status, 7) << r.out << r.err;
  const std::vector<std::string> err = LinesOf(r.err);
  ASSERT_GE(err.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(err.end() - 2, err.end()),
            (std::vector<std::string>{"scale 001: 2 of 3 PLUs as sent; PLU 3 differs in price",
                                      "scale 002: 3 of 3 PLUs as sent"}))
      << r.err;
}

}  // namespace
