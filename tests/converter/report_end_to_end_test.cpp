// The retrieval modes end to end: the converter, the transfer program and
// the scale emulator on a loopback address of the test's own. The scale is
// loaded from the bundled price list and sells before the reports are
// fetched.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "base/ascii_case.h"
#include "support/shop.h"

namespace {

using testing_support::BinPath;
using testing_support::kBanner;
using testing_support::kFatal;
using testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::RunProgram;
using testing_support::SourcePath;

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

// The report's lines without their CR LF; a line without CR LF is kept
// with the marker "<no line end>".
std::vector<std::string> Lines(const std::string& report) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < report.size()) {
    std::size_t end = report.find("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back("<no line end>" + report.substr(pos));
      break;
    }
    lines.push_back(report.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

std::vector<std::string> Fields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  for (;;) {
    std::size_t end = line.find(separator, pos);
    fields.push_back(line.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) return fields;
    pos = end + 1;
  }
}

// A number field as the conversion writes it: decimal, no leading zero.
bool IsPlainNumber(const std::string& field) { return std::regex_match(field, std::regex("0|[1-9][0-9]*")); }

long long Number(const std::string& field) { return std::stoll(field); }

// The shop with the settings and the bundled price list, its scale 1
// served by the emulator.
class ReportShop : public testing_support::ShopTest {
 protected:
  void SetUp() override {
    Settings(kSettings);
    PriceList(ReadFile(SourcePath("examples/VelkoCon.txt")));
    PreparedFiles(ReadFile(SourcePath("examples/F34.DAT")), ReadFile(SourcePath("examples/F38.DAT")));
  }

  // Runs the three retrieval modes; each goes through.
  void FetchEveryReport() {
    for (const char* option : {"-Report", "-Transact", "-RTBuffer"}) {
      ProgramResult r = Converter({"001", "2", option});
      EXPECT_EQ(r.status, 0) << option << r.out << r.err;
      EXPECT_EQ(r.out, kBanner) << option;
    }
  }
};

TEST_F(ReportShop, EmptyScaleGivesEmptyReports) {
  ASSERT_TRUE(StartScales());
  FetchEveryReport();
  for (const char* report : {"mgtotal.txt", "plutotal.txt", "transact.txt", "rtbuffer.txt"}) {
    EXPECT_EQ(Read(report), "") << report;
  }
  EXPECT_FALSE(Has("clerk"));
  EXPECT_FALSE(Has("store"));
  // Every file of the report table was asked for, in order.
  std::string log = Log();
  std::size_t last = 0;
  for (const char* code : {"> F72400000000", "> F72600000000", "> F74500000000", "> F74600000000", "> F72E00000000",
                           "> F75100000000"}) {
    std::size_t at = log.find(code);
    ASSERT_NE(at, std::string::npos) << code << "\n" << log;
    EXPECT_GE(at, last) << code;
    last = at;
  }
}

// The scale is down: the transfer program cannot even connect. The incoming
// file of the earlier fetch is not converted again (it is kept in the
// archive); the run ends without the banner, the old report gone.
TEST_F(ReportShop, FailedFetchDoesNotReportOldData) {
  ASSERT_TRUE(StartScales());
  ProgramResult first = Converter({"001", "2", "-Transact"});
  ASSERT_EQ(first.status, 0) << first.out << first.err;
  ASSERT_TRUE(Has("transact.txt"));
  std::string incoming = Read("QS001T30.DAT");
  ASSERT_EQ(incoming, "E200000000");
  StopScales();

  ProgramResult second = Converter({"001", "2", "-Transact"});
  EXPECT_EQ(second.status, 4);
  EXPECT_TRUE(second.out.ends_with(kFatal)) << second.out;
  EXPECT_EQ(second.out.find("Conversion finished."), std::string::npos) << second.out;
  EXPECT_FALSE(Has("transact.txt"));
  EXPECT_FALSE(Has("QS001T30.DAT"));
  int kept = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(File("archive"))) {
    // The Windows programs keep the converter's letter case (qs001t30-...).
    if (base::EqualsIgnoringCase(entry.path().filename().string().substr(0, 9), "QS001T30-")) {
      EXPECT_EQ(ReadFile(entry.path().string()), incoming);
      ++kept;
    }
  }
  EXPECT_EQ(kept, 1);
}

// The main job: load the bundled price list, sell at the scale, fetch every
// report. The reports agree with each other: the transactions, the real-time
// buffer, the PLU totals and the group totals count the same sales and
// amounts.
TEST_F(ReportShop, ReportsAfterSalesAgree) {
  constexpr int kSales = 40;
  ASSERT_TRUE(StartScales());
  ProgramResult load = Converter({"001", "2"});
  ASSERT_EQ(load.status, 0) << load.out << load.err;
  ASSERT_TRUE(StopScales());
  ProgramResult sell = RunProgram(BinPath("scalesim"),
                                  {"sell", "--store", Store(), "--scale", "1", "--count",
                                   std::to_string(kSales), "--seed", "7"},
                                  root(), {}, 20000);
  ASSERT_EQ(sell.status, 0) << sell.out << sell.err;
  ASSERT_TRUE(StartScales());

  FetchEveryReport();

  // Transactions: 8 fields and a closing separator, all numbers; the
  // tickets in order. Fields: ticket, PLU, grams, pieces, clerk, amount,
  // date, time.
  std::map<long long, std::vector<std::string>> sales;  // by ticket
  long long transact_amount = 0;
  std::vector<std::string> transact = Lines(Read("transact.txt"));
  ASSERT_EQ(transact.size(), static_cast<std::size_t>(kSales));
  for (std::size_t i = 0; i < transact.size(); ++i) {
    std::vector<std::string> f = Fields(transact[i], ';');
    ASSERT_EQ(f.size(), 9u) << transact[i];
    EXPECT_EQ(f[8], "") << transact[i];
    for (int k = 0; k < 8; ++k) EXPECT_TRUE(IsPlainNumber(f[k])) << transact[i];
    EXPECT_EQ(Number(f[0]), static_cast<long long>(i + 1)) << transact[i];
    sales[Number(f[0])] = f;
    transact_amount += Number(f[5]);
  }
  EXPECT_GT(transact_amount, 0);

  // The real-time buffer: one entry per sale with the same ticket, amount
  // and clerk, and one conversion time on every line.
  std::vector<std::string> realtime = Lines(Read("rtbuffer.txt"));
  ASSERT_EQ(realtime.size(), static_cast<std::size_t>(kSales));
  std::string time;
  for (const std::string& line : realtime) {
    std::vector<std::string> f = Fields(line, ';');
    ASSERT_EQ(f.size(), 11u) << line;
    for (int k : {0, 1, 2, 3, 4, 5, 7, 8}) EXPECT_TRUE(IsPlainNumber(f[k])) << line;
    ASSERT_EQ(sales.count(Number(f[0])), 1u) << line;
    const std::vector<std::string>& sale = sales[Number(f[0])];
    EXPECT_EQ(f[5], sale[5]) << "amount: " << line;
    EXPECT_EQ(f[8], sale[4]) << "clerk: " << line;
    EXPECT_TRUE(std::regex_match(f[10], std::regex("[0-3][0-9]/[01][0-9]/[0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
        << line;
    if (time.empty()) time = f[10];
    EXPECT_EQ(f[10], time);
  }

  // PLU totals: per clerk, sales at +0 and the amount at +4 of each group
  // of five fields from field 3.
  long long plu_sales = 0, plu_amount = 0;
  for (const std::string& line : Lines(Read("plutotal.txt"))) {
    std::vector<std::string> f = Fields(line, ';');
    ASSERT_EQ(f.size(), 29u) << line;
    EXPECT_EQ(f[1].size(), 14u) << line;
    EXPECT_EQ(f[28].size(), 6u) << line;
    for (int k = 3; k < 28; ++k) ASSERT_TRUE(IsPlainNumber(f[k])) << line;
    for (int g = 0; g < 5; ++g) {
      plu_sales += Number(f[3 + 5 * g]);
      plu_amount += Number(f[7 + 5 * g]);
    }
  }
  EXPECT_EQ(plu_sales, kSales);
  EXPECT_EQ(plu_amount, transact_amount);

  // Group totals: sales and amounts of weighed (fields 2, 5) and counted
  // items (fields 11, 14).
  long long group_sales = 0, group_amount = 0;
  std::vector<std::string> groups = Lines(Read("mgtotal.txt"));
  EXPECT_FALSE(groups.empty());
  for (const std::string& line : groups) {
    std::vector<std::string> f = Fields(line, ';');
    ASSERT_EQ(f.size(), 21u) << line;
    for (int k = 0; k < 20; ++k) ASSERT_TRUE(IsPlainNumber(f[k])) << line;
    EXPECT_EQ(f[20].size(), 6u) << line;
    group_sales += Number(f[2]) + Number(f[11]);
    group_amount += Number(f[5]) + Number(f[14]);
  }
  EXPECT_EQ(group_sales, kSales);
  EXPECT_EQ(group_amount, transact_amount);

  // The fetch cleared the transactions at the scale: the next brings none.
  ProgramResult again = Converter({"001", "2", "-Transact"});
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(Read("transact.txt"), "");
}

}  // namespace
