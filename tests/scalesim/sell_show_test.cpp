// "scalesim sell" and "scalesim show": sales read back over TCP the way the
// transfer program reads them, and decoded by the converter's report layouts.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "raw_client.h"
#include "support/test_support_posix.h"

namespace {

using scalesim_test::RawClient;
using namespace testing_support;

// The three worked-example PLUs: weighed APPLES 12.50, weighed PEARS 1.99
// under weight barcode settings, counted CHOCOLATE BAR 3.20 with an extra
// number and time print; and the store name ABC.
const char kApples[] = "00000123002210000D20000000125011052500123000000107064150504C45530C00";
const char kPears[] = "00000077002110000D200000000199111421220007700001070550454152530C00";
const char kChocolate[] =
    "00004567003D55000D2001000003201105259876500000010030071843484F434F4C415445204241522057495448204E55545320"
    "0D0704313030470C00";
const char kStoreName[] = "00000001000F001105034142430C00";

// A report line as the converter writes it, fields split.
using Line = std::vector<std::string>;

std::string Number(const std::string& digits) {
  std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

struct Field {
  std::size_t at;
  std::size_t width;
  char kind;  // 'n' number, 't' text, 'b' byte
};

// Decodes hex text of records up to the "E2" end marker by one layout:
// length byte at characters 10-11, or a fixed length.
std::vector<Line> Decode(const std::string& hex, const std::vector<Field>& fields, std::size_t fixed_length = 0) {
  std::vector<Line> lines;
  std::size_t at = 0;
  while (at + 2 <= hex.size() && hex.compare(at, 2, "E2") != 0) {
    std::size_t step = fixed_length != 0 ? fixed_length : 2 * std::stoul(hex.substr(at + 10, 2), nullptr, 16);
    if (step == 0 || at + step > hex.size()) {
      ADD_FAILURE() << "record runs past the data at " << at;
      break;
    }
    Line line;
    for (const Field& f : fields) {
      std::string chars = hex.substr(at + f.at, f.width);
      if (f.kind == 'n') {
        EXPECT_EQ(chars.find_first_not_of("0123456789"), std::string::npos) << chars;
        line.push_back(Number(chars));
      } else if (f.kind == 'b') {
        line.push_back(std::to_string(std::stoi(chars, nullptr, 16)));
      } else {
        line.push_back(chars);
      }
    }
    lines.push_back(line);
    at += step;
  }
  return lines;
}

std::vector<Field> MgTotalFields() {
  std::vector<Field> f = {{0, 8, 'n'}, {12, 2, 'n'}};
  for (std::size_t i = 0; i < 18; ++i) f.push_back({16 + 8 * i, 8, 'n'});
  f.push_back({160, 6, 't'});
  return f;
}

std::vector<Field> PluTotalFields() {
  std::vector<Field> f = {{0, 8, 'n'}, {12, 14, 't'}, {28, 4, 'n'}};
  for (std::size_t g = 0; g < 5; ++g) {
    std::size_t base = 32 + 36 * g;
    f.push_back({base, 8, 'n'});
    f.push_back({base + 8, 8, 'n'});
    f.push_back({base + 16, 4, 'n'});
    f.push_back({base + 20, 8, 'n'});
    f.push_back({base + 28, 8, 'n'});
  }
  f.push_back({212, 6, 't'});
  return f;
}

const std::vector<Field> kTransactFields = {{0, 8, 'n'},  {12, 8, 'n'}, {20, 8, 'n'}, {28, 8, 'n'},
                                            {36, 4, 'n'}, {40, 8, 'n'}, {48, 6, 'n'}, {54, 4, 'n'}};
const std::vector<Field> kRtBufferFields = {{0, 8, 'n'},   {20, 8, 'n'},  {36, 8, 'n'},  {44, 8, 'n'},
                                            {52, 8, 'n'},  {84, 8, 'n'},  {160, 6, 't'}, {200, 8, 'n'},
                                            {718, 2, 'b'}, {720, 8, 't'}};

long long N(const std::string& text) { return std::stoll(text); }

// The group of a PLU: its tens and hundreds digits, 0 counted as 1.
long long Group(long long plu) { return plu / 10 % 100 == 0 ? 1 : plu / 10 % 100; }

class SellShowTest : public ::testing::Test {
 protected:
  std::string Store() const { return dir_.File("store"); }

  // Loads the PLUs and the store name through the emulator.
  void Load() {
    ScaleSim sim;
    ASSERT_TRUE(sim.Start(Store(), {address_ + ":2001"}));
    RawClient client;
    ASSERT_TRUE(client.Connect(address_, 2001));
    for (const char* plu : {kApples, kPears, kChocolate}) {
      ASSERT_EQ(client.Ask(std::string("F125") + plu, 1), "06");
    }
    ASSERT_EQ(client.Ask(std::string("F13D") + kStoreName, 1), "06");
    client.Close();
    ASSERT_TRUE(sim.Stop());
  }

  testing_support::ProgramResult Run(const std::vector<std::string>& arguments,
                                     const std::vector<std::string>& env = {}) {
    return RunProgram(BinPath("scalesim"), arguments, dir_.path(), env, 20000);
  }

  // Reads a table the way the transfer program does: paired (read, then
  // key with the same key) or plain; returns the replies as hex text.
  static std::string Fetch(RawClient* client, const std::string& code, bool paired) {
    std::string text, key = "00000000";
    for (int guard = 0; guard < 100000; ++guard) {
      std::string request = "F7" + code + key;
      if (!client->SendHex(request)) return text + "<send failed>";
      // A reply is a record (its length in bytes 4-5) or the 5-byte end reply.
      std::string head = client->ReceiveHex(5);
      if (head.size() < 10) return text + "<no reply>";
      std::string reply = head;
      if (head.compare(0, 2, "E2") != 0) {
        std::string length_byte = client->ReceiveHex(1);
        std::size_t length = std::stoul(head.substr(8, 2) + length_byte, nullptr, 16);
        reply += length_byte + client->ReceiveHex(length - 6);
      }
      text += reply;
      if (paired && client->Ask("F3" + code + key, 1) != "06") return text + "<no key reply>";
      if (reply.compare(0, 2, "E2") == 0) return text;
      key = reply.substr(0, 8);
    }
    return text + "<endless>";
  }

  TempDir dir_;
  std::string address_ = testing_support::LoopbackAddressForTest();
};

TEST_F(SellShowTest, SalesComeBackThroughTheReportLayouts) {
  Load();
  auto sold = Run({"sell", "--store", Store(), "--scale", "1", "--count", "40", "--seed", "7"});
  ASSERT_EQ(sold.status, 0) << sold.err;
  EXPECT_EQ(sold.out.find("Sold 40 items at scale 001 for "), 0u) << sold.out;

  ScaleSim sim;
  ASSERT_TRUE(sim.Start(Store(), {address_ + ":2001"}));
  RawClient client;
  ASSERT_TRUE(client.Connect(address_, 2001));
  std::string transactions = Fetch(&client, "2E", true);
  std::string plu_totals = Fetch(&client, "26", true);
  std::string group_totals = Fetch(&client, "24", true);
  std::string realtime = Fetch(&client, "51", false);

  const std::map<long long, long long> price = {{123, 1250}, {77, 199}, {4567, 320}};
  std::vector<Line> sales = Decode(transactions, kTransactFields);
  ASSERT_EQ(sales.size(), 40u);
  std::map<long long, long long> amount_of_plu, sales_of_plu;
  std::map<long long, std::map<long long, long long>> amount_of_plu_clerk;
  long long total = 0;
  for (std::size_t i = 0; i < sales.size(); ++i) {
    const Line& s = sales[i];
    long long plu = N(s[1]), grams = N(s[2]), pieces = N(s[3]), clerk = N(s[4]), amount = N(s[5]);
    EXPECT_EQ(N(s[0]), static_cast<long long>(i + 1));  // ticket numbers count from 1
    ASSERT_EQ(price.count(plu), 1u) << plu;
    if (plu == 4567) {
      EXPECT_EQ(grams, 0);
      EXPECT_TRUE(pieces >= 1 && pieces <= 5);
      EXPECT_EQ(amount, price.at(plu) * pieces);
    } else {
      EXPECT_EQ(pieces, 0);
      EXPECT_TRUE(grams >= 50 && grams <= 2500);
      EXPECT_EQ(amount, (price.at(plu) * grams + 500) / 1000);
    }
    EXPECT_TRUE(clerk >= 1 && clerk <= 5);
    EXPECT_EQ(N(s[6]), 71226);  // DDMMYY: the first day is 7 December 2026
    EXPECT_TRUE(N(s[7]) >= 800 && N(s[7]) < 2000) << s[7];
    amount_of_plu[plu] += amount;
    amount_of_plu_clerk[plu][clerk] += amount;
    ++sales_of_plu[plu];
    total += amount;
  }

  std::vector<Line> plus = Decode(plu_totals, PluTotalFields());
  ASSERT_EQ(plus.size(), amount_of_plu.size());
  for (const Line& p : plus) {
    long long plu = N(p[0]);
    long long count = 0, amount = 0;
    for (int c = 0; c < 5; ++c) {
      EXPECT_EQ(N(p[3 + 5 * c + 2]), c + 1);  // each group is one clerk's
      count += N(p[3 + 5 * c]);
      amount += N(p[3 + 5 * c + 4]);
      EXPECT_EQ(N(p[3 + 5 * c + 4]), amount_of_plu_clerk[plu][c + 1]);
    }
    EXPECT_EQ(count, sales_of_plu[plu]);
    EXPECT_EQ(amount, amount_of_plu[plu]);
    EXPECT_EQ(N(p[2]), Group(plu));
    EXPECT_EQ(p[28], "071226");
  }
  // The barcode text: prefix and item-code field of the PLU.
  EXPECT_EQ(plus[0][1], "21220007700001");

  std::vector<Line> groups = Decode(group_totals, MgTotalFields());
  ASSERT_EQ(groups.size(), 3u);  // PLU 77 in group 7, 123 in 12, 4567 in 56
  EXPECT_EQ(N(groups[0][0]), 7);
  EXPECT_EQ(N(groups[1][0]), 12);
  EXPECT_EQ(N(groups[2][0]), 56);
  long long group_total = 0;
  for (const Line& g : groups) {
    long long weighed = N(g[2 + 3]), counted = N(g[2 + 9 + 3]);
    long long by_clerk = 0;
    for (int c = 0; c < 5; ++c) by_clerk += N(g[2 + 4 + c]) + N(g[2 + 9 + 4 + c]);
    EXPECT_EQ(by_clerk, weighed + counted);
    group_total += weighed + counted;
  }
  for (const Line& g : groups) EXPECT_EQ(N(g[1]), 1);  // one PLU in each
  EXPECT_EQ(group_total, total);

  std::vector<Line> buffer = Decode(realtime, kRtBufferFields, 728);
  ASSERT_EQ(buffer.size(), 40u);
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    const Line& r = buffer[i];
    const Line& s = sales[i];
    EXPECT_EQ(r[0], s[0]);
    EXPECT_EQ(r[1], s[1]);
    EXPECT_EQ(r[2], s[2]);
    EXPECT_EQ(r[3], s[3]);
    EXPECT_EQ(N(r[4]), price.at(N(s[1])));
    EXPECT_EQ(r[5], s[5]);
    EXPECT_EQ(r[6], "071226");
    EXPECT_EQ(N(r[7]), Group(N(s[1])));
    EXPECT_EQ(r[8], s[4]);
    EXPECT_EQ(r[9].substr(0, 4), std::string(4 - s[7].size(), '0') + s[7]);
  }

  // The paired reads cleared the totals and transactions; the buffer stays.
  EXPECT_EQ(Fetch(&client, "2E", false), "E200000000");
  EXPECT_EQ(Fetch(&client, "26", false), "E200000000");
  EXPECT_EQ(Fetch(&client, "24", false), "E200000000");
  EXPECT_EQ(Fetch(&client, "51", false), realtime);
}

TEST_F(SellShowTest, SalesAreReproducibleAndContinue) {
  Load();
  TempDir other;
  std::string copy = other.File("store");
  auto copy_store = [&](const std::string& to) {
    ASSERT_EQ(RunProgram("/bin/cp", {"-r", Store(), to}, dir_.path()).status, 0);
  };
  copy_store(copy);
  copy_store(other.File("third"));
  ASSERT_EQ(Run({"sell", "--store", Store(), "--scale", "1", "--count", "25", "--seed", "99"}).status, 0);
  ASSERT_EQ(Run({"sell", "--store", copy, "--scale", "1", "--count", "25", "--seed", "99"}).status, 0);
  ASSERT_EQ(Run({"sell", "--store", other.File("third"), "--scale", "1", "--count", "25", "--seed", "98"}).status, 0);
  std::string tables = ReadFile(Store() + "/001/tables.hex");
  EXPECT_EQ(tables, ReadFile(copy + "/001/tables.hex"));
  EXPECT_NE(tables, ReadFile(other.File("third") + "/001/tables.hex"));

  // A second run goes on with the next ticket, later in the day.
  auto again = Run({"sell", "--store", Store(), "--scale", "1", "--count", "5", "--seed", "1"});
  ASSERT_EQ(again.status, 0);
  EXPECT_NE(again.out.find("tickets up to 30"), std::string::npos) << again.out;
}

TEST_F(SellShowTest, SellNeedsPlusAndAUsableCommandLine) {
  auto nothing = Run({"sell", "--store", dir_.File("nowhere"), "--scale", "1", "--count", "5", "--seed", "1"});
  EXPECT_EQ(nothing.status, 4);
  EXPECT_EQ(nothing.err, "No PLUs are loaded at this scale: nothing to sell\n");
  for (const std::vector<std::string>& line : std::vector<std::vector<std::string>>{
           {"sell", "--store", "s", "--scale", "1", "--count", "0", "--seed", "1"},
           {"sell", "--store", "s", "--count", "3"},
           {"sell", "--store", "s", "--scale", "x", "--count", "3"},
           {"show"},
           {"show", "--store", "s", "--codepage", "Mac"},
           {"show", "--store", "s", "--codepage", "99999:866"},
       }) {
    EXPECT_EQ(Run(line).status, 1) << line.back();
  }
}

TEST_F(SellShowTest, ShowPrintsTheDecodedPluTable) {
  Load();
  auto shown = Run({"show", "--store", Store()});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out,
            "Scale 001\n"
            "Store name: ABC (label format 17, font 5)\n"
            "PLUs: 3\n"
            "     PLU       Price Kind     Type Prefix Item code    Label Extra Time Name\n"
            "      77        1.99 weighed    20     21 220007700001    17     - no   PEARS\n"
            "     123       12.50 weighed     5     25 001230000001    17     - no   APPLES\n"
            "    4567        3.20 counted     5     25 987650000001    17    30 yes  CHOCOLATE BAR WITH NUTS 100G\n");
  ASSERT_EQ(Run({"sell", "--store", Store(), "--scale", "1", "--count", "3", "--seed", "5"}).status, 0);
  shown = Run({"show", "--store", Store(), "--scale", "1"});
  EXPECT_NE(shown.out.find("File code 2E (transactions): 3 records\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("File code 51 (real-time buffer): 3 records\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("File code 46 (store totals): 1 records\n"), std::string::npos) << shown.out;
}

TEST_F(SellShowTest, ShowOfAScaleThatIsNotThereFails) {
  Load();
  struct Case {
    std::vector<std::string> arguments;
    std::string err;
  };
  const Case cases[] = {
      {{"show", "--store", Store(), "--scale", "2"}, "This scale is not in the store\n"},
      {{"show", "--store", dir_.File("nowhere"), "--scale", "1"}, "This scale is not in the store\n"},
      {{"show", "--store", dir_.File("nowhere")}, "No scale in this store\n"},
  };
  for (const Case& c : cases) {
    auto shown = Run(c.arguments);
    EXPECT_EQ(shown.status, 2) << c.arguments[2];
    EXPECT_EQ(shown.err, c.err) << c.arguments[2];
    EXPECT_EQ(shown.out, "") << c.arguments[2];
  }
}

// Hex of a number of `digits` hex digits.
std::string HexNumber(std::size_t value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%0*zX", digits, value);
  return text;
}

// A PLU record of key 1 (price 1.00) named by the bytes (hex), and a
// store-name record of the same name.
std::string PluNamed(const std::string& name) {
  std::size_t n = name.size() / 2;
  return "00000001" + HexNumber(28 + n, 4) + "11000D200000000100110525000010000001" + "07" + HexNumber(n, 2) + name +
         "0C00";
}
std::string StoreNamed(const std::string& name) {
  std::size_t n = name.size() / 2;
  return "00000001" + HexNumber(12 + n, 4) + "001105" + HexNumber(n, 2) + name + "0C00";
}

TEST_F(SellShowTest, ShowTurnsNamesIntoUtf8ByTheCodePage) {
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> env;
    std::string bytes;  // hex
    std::string name;   // UTF-8
  };
  const Case cases[] = {
      // Win, and no --codepage: the ANSI code page of the pair.
      {{"--codepage", "Win"}, {"VELKOCON_CODEPAGES=1252:850"}, "808C8A9E", "\u20AC\u0152\u0160\u017E"},
      {{}, {"VELKOCON_CODEPAGES=1252:850"}, "808C8A9E", "\u20AC\u0152\u0160\u017E"},
      {{"--codepage", "Win"}, {"VELKOCON_CODEPAGES=1251:866"}, "C0F0E8", "\u0410\u0440\u0438"},
      {{"--codepage", "Win"}, {"VELKOCON_CODEPAGES=1250:852"}, "A3F3649F", "\u0141\u00F3d\u017A"},
      {{"--codepage", "Win"}, {"VELKOCON_CODEPAGES=", "LC_ALL=ru_RU.UTF-8"}, "C0F0E8", "\u0410\u0440\u0438"},
      {{"--codepage", "Win"}, {"VELKOCON_CODEPAGES=1252:850"}, "8FE0A8", "?\u00E0\u00A8"},  // 8F: none in 1252
      // Dos: the OEM code page of the pair; ANSI:OEM: that pair's.
      {{"--codepage", "Dos"}, {"VELKOCON_CODEPAGES=1251:866"}, "8FE0A8", "\u041F\u0440\u0438"},
      {{"--codepage", "Dos"}, {"VELKOCON_CODEPAGES=", "LC_ALL=ru_RU.UTF-8"}, "8FE0A8", "\u041F\u0440\u0438"},
      {{"--codepage", "1251:866"}, {"VELKOCON_CODEPAGES=1252:850"}, "8FE0A8", "\u041F\u0440\u0438"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(RunProgram("/bin/mkdir", {"-p", Store() + "/001"}, dir_.path()).status, 0);
    ASSERT_TRUE(WriteFile(Store() + "/001/tables.hex", "25 " + PluNamed(c.bytes) + "\n3D " + StoreNamed(c.bytes) + "\n"));
    std::vector<std::string> arguments = {"show", "--store", Store()};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    auto shown = Run(arguments, c.env);
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find(" no   " + c.name + "\n"), std::string::npos) << c.env[0] << "\n" << shown.out;
    EXPECT_NE(shown.out.find("Store name: " + c.name + " (label format 17, font 5)\n"), std::string::npos)
        << c.env[0] << "\n" << shown.out;
  }
}

TEST_F(SellShowTest, ShowFailsWhereTheCodePageCannotBeHad) {
  Load();
  struct Case {
    std::vector<std::string> options;
    std::string env;
    std::string err;
  };
  const Case cases[] = {
      {{}, "VELKOCON_CODEPAGES=cyrillic", "VELKOCON_CODEPAGES is not of the form ANSI:OEM, such as 1251:866\n"},
      {{"--codepage", "Dos"}, "VELKOCON_CODEPAGES=1251:9999", "This code page is not known to the system\n"},
      {{"--codepage", "Win"}, "VELKOCON_CODEPAGES=9999:866", "Code page 9999 is not known to this system\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"show", "--store", Store()};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    auto shown = Run(arguments, {c.env});
    EXPECT_EQ(shown.status, 1) << c.env;
    EXPECT_EQ(shown.err.substr(0, c.err.size()), c.err) << c.env;
    EXPECT_EQ(shown.out, "") << c.env;
  }
}

}  // namespace
