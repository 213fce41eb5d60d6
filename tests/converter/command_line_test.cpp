// The converter's start: settings before the command line, the command-line
// and separator tables, and the option words, through the built program.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "converter/command_line.h"
#include "support/shop.h"
#include "support/test_support_posix.h"

namespace {

using testing_support::BinPath;
using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(CommandLine, SeparatorDigits) {
  struct Case {
    char digit;
    char separator;
  } cases[] = {{'1', ','}, {'2', ';'}, {'3', '#'}, {'4', '.'}, {'5', '\t'}, {'-', '\t'}, {'\0', '\t'}};
  for (const Case& c : cases) EXPECT_EQ(converter::SeparatorForDigit(c.digit), c.separator) << c.digit;
}

TEST(CommandLine, ArgumentsChooseModeAndSeparator) {
  using converter::RunMode;
  using common::TransferMode;
  const TransferMode kNumber = TransferMode::kScaleNumber;
  struct Case {
    std::vector<std::string> args;
    TransferMode transfer_mode;
    bool ok;
    RunMode mode;
    char separator;
    bool fetch;
  } cases[] = {
      {{"001"}, kNumber, true, RunMode::kLoad, '\t', true},
      {{"001", "2"}, kNumber, true, RunMode::kLoad, ';', true},
      {{"001", "25"}, kNumber, true, RunMode::kLoad, ';', true},
      {{"001", "-Report"}, kNumber, true, RunMode::kReport, '\t', true},
      {{"001", "-Transact"}, kNumber, true, RunMode::kTransact, '\t', true},
      {{"001", "-RTBuffer"}, kNumber, true, RunMode::kRTBuffer, '\t', true},
      {{"001", "3", "-Transact"}, kNumber, true, RunMode::kTransact, '#', true},
      {{"001", "1", "-RTBuffer"}, kNumber, true, RunMode::kRTBuffer, ',', true},
      {{"001", "4", "-Report"}, kNumber, true, RunMode::kReport, '.', true},
      // Option words in any letter case; -Check; -NoFetch after a retrieval option.
      {{"001", "-report"}, kNumber, true, RunMode::kReport, '\t', true},
      {{"001", "2", "-TRANSACT"}, kNumber, true, RunMode::kTransact, ';', true},
      {{"001", "2", "-Check"}, kNumber, true, RunMode::kCheck, ';', true},
      {{"001", "2", "-vERIFY"}, kNumber, true, RunMode::kVerify, ';', true},
      {{"001", "2", "-Transact", "-NoFetch"}, kNumber, true, RunMode::kTransact, ';', false},
      {{"001", "-rtbuffer", "-nofetch"}, kNumber, true, RunMode::kRTBuffer, '\t', false},
      // A typo, an option where the digit belongs, anything after the option.
      {{"001", "-Reprot"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"001", "2", "-x"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"001", "-Report", "x"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"001", "-Report", "-Transact"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"001", "2", "x"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"001", "2", "-Check", "-NoFetch"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"001", "-Verify", "-NoFetch"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"001", "2", "-NoFetch"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"001", "2", "-Report", "-NoFetch", "x"}, kNumber, false, RunMode::kLoad, '\t', true},
      // Identifiers: three characters in scale-number mode, a host or address in DHCP mode.
      {{""}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"-Report"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"1"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"1234"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"1 2"}, kNumber, false, RunMode::kLoad, '\t', true},  // the transfer program would serve scales 1 and 2
      {{" 01"}, kNumber, false, RunMode::kLoad, '\t', true},
      {{"host 2"}, TransferMode::kDhcp, false, RunMode::kLoad, '\t', true},
      {{"a/b"}, TransferMode::kDhcp, false, RunMode::kLoad, '\t', true},
      {{"a\\b"}, TransferMode::kDhcp, false, RunMode::kLoad, '\t', true},
      {{"10.0.0.5", "2"}, TransferMode::kDhcp, true, RunMode::kLoad, ';', true},
      {{"1"}, TransferMode::kDhcp, true, RunMode::kLoad, '\t', true},
      {{std::string(190, '1')}, TransferMode::kDhcp, true, RunMode::kLoad, '\t', true},   // "qs" + 190 + "F25.dat" = 199
      {{std::string(191, '1')}, TransferMode::kDhcp, false, RunMode::kLoad, '\t', true},  // 200 characters
  };
  for (const Case& c : cases) {
    std::vector<char*> argv;
    std::vector<std::string> copy = c.args;
    for (std::string& a : copy) argv.push_back(a.data());
    converter::RunContext context;
    context.transfer_mode = c.transfer_mode;
    auto status = converter::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &context);
    ASSERT_EQ(status.ok(), c.ok) << ::testing::PrintToString(c.args);
    if (!status.ok()) {
      EXPECT_TRUE(status.message().starts_with("Command line error.\n")) << status.message();
      EXPECT_TRUE(status.message().ends_with(converter::kUsage)) << status.message();
      continue;
    }
    EXPECT_EQ(context.mode, c.mode) << ::testing::PrintToString(c.args);
    EXPECT_EQ(context.separator, c.separator) << ::testing::PrintToString(c.args);
    EXPECT_EQ(context.fetch, c.fetch) << ::testing::PrintToString(c.args);
    EXPECT_EQ(context.scales, std::vector<std::string>{c.args[0]});
  }
}

TEST(ConverterStart, CommandLineErrors) {
  TempDir dir;
  WriteFile(dir.File("velkocon.ini"), "[Params]\n");
  WriteFile(dir.File("VelkoCon.txt"), "1;A;1\n");  // a run that went on would write a PLU file
  const std::string usage = std::string(converter::kUsage) + "\n";
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{}, "Command line error.\n" + usage},
      {{"001", "2", "-Report", "x"}, "Command line error.\n" + usage},
      {{"001", "-report", "2"}, "Command line error.\n" + usage},
      {{""}, "Command line error.\nThe scale identifier is missing.\n" + usage},
      {{"../x"}, "Command line error.\nThe scale identifier must not hold '/' or '\\'.\n" + usage},
      {{"1"}, "Command line error.\nThe scale identifier must have three characters, such as 001: the transfer "
              "program finds the files of no other.\n" + usage},
      {{"1 2"}, "Command line error.\nThe scale identifier must not hold a blank: the transfer program would take "
                "it for other scales.\n" + usage},
  };
  for (const Case& c : cases) {
    auto r = RunProgram(BinPath("VelkoCon"), c.args, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(testing_support::Exists(dir.File("qs001F25.dat")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "nothing but the inputs";
  }
}

TEST(ConverterStart, SettingsAreReadBeforeTheCommandLine) {
  TempDir dir;
  // Started with no arguments, the cause names the folder (a Windows path
  // under wine, so only its last part is looked at) and where to start.
  auto r = RunProgram(BinPath("VelkoCon"), {}, dir.path());
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "velkocon.ini absent\n");
  const std::string folder = std::filesystem::path(dir.path()).filename().string();
  EXPECT_TRUE(r.err.starts_with("VelkoCon: no velkocon.ini in ")) << r.err;
  EXPECT_NE(r.err.find(folder + "; VelkoCon is started in the shop folder, which holds it (see VelkoCon --help)\n"),
            std::string::npos)
      << r.err;

  WriteFile(dir.File("velkocon.ini"), "[Params]\nLabel Format=150\n");
  r = RunProgram(BinPath("VelkoCon"), {"001", "2", "-Report", "x"}, dir.path());
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "Incorrect label format\n");
  EXPECT_EQ(r.err, "VelkoCon: Label Format=150 is not 0 to 99\n");
}

}  // namespace

namespace {

// Every settings failure through the built program: its message on standard
// output, the setting and its value as the cause line on the error stream,
// exit code -1 (status 255), no file written.
TEST(ConverterStart, SettingsFailuresEndTheRun) {
  using testing_support::CauseLine;
  using testing_support::Reason;
  struct Case {
    const char* ini;
    const char* page_detail;  // contents of cp.txt, or nullptr
    const char* message;
    std::string cause;
  } cases[] = {
      {"[Params]\nLabel Format=100\n", nullptr, "Incorrect label format\n",
       "VelkoCon: Label Format=100 is not 0 to 99\n"},
      {"[Params]\nBarcode Type=12\n", nullptr, "Incorrect barcode format\n",
       "VelkoCon: Barcode Type=12 is not 1 to 21 but 12\n"},
      {"[Params]\nBarcode Weight Type=22\n", nullptr, "Incorrect barcode format\n",
       "VelkoCon: Barcode Weight Type=22 is not -1 or 1 to 21 but 12\n"},
      {"[Params]\nBarcode Prefix=100\n", nullptr, "Incorrect barcode prefix\n",
       "VelkoCon: Barcode Prefix=100 is not 0 to 99\n"},
      {"[Params]\nBarcode Weight Prefix=-2\n", nullptr, "Incorrect barcode prefix\n",
       "VelkoCon: Barcode Weight Prefix=-2 is not -1 or 0 to 99\n"},
      {"[Params]\nCodePage=Windows\n", nullptr, "Incorrect code page\n",
       "VelkoCon: CodePage=Windows is not Win, Dos or OEM\n"},
      {"[Params]\nCodePage=1252\n", nullptr, "Incorrect code page\n", "VelkoCon: CodePage=1252 is not Win, Dos or OEM\n"},
      {"[Params]\nPrice List Encoding=UTF-16\n", nullptr, "Incorrect price list encoding\n",
       "VelkoCon: Price List Encoding=UTF-16 is not auto, ANSI or UTF-8\n"},
      {"[Params]\nPrice Decimals=5\n", nullptr, "Incorrect price decimals\n",
       "VelkoCon: Price Decimals=5 is not 0 to 4\n"},
      {"[Params]\nCodePage=OEM\nPageDetail=\\cp.txt\n", nullptr, "File PageDetail is absent. Fatal error!\n",
       CauseLine("cannot open PageDetail=\\cp.txt", Reason::kNoSuchFile)},
      {"[Params]\nCodePage=OEM\n", nullptr, "File PageDetail is absent. Fatal error!\n",
       "VelkoCon: PageDetail names no file; CodePage=OEM needs one\n"},
      {"[Params]\nCodePage=oem\nPageDetail=\\cp.txt\n", "192 128\n\n", "File PageDetail is incorrect. Fatal error!\n",
       "VelkoCon: line 2 of PageDetail=\\cp.txt is not \"index value\": \"\"\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteFile(dir.File("velkocon.ini"), c.ini);
    WriteFile(dir.File("VelkoCon.txt"), "1;A;1.00\n");
    if (c.page_detail != nullptr) WriteFile(dir.File("cp.txt"), c.page_detail);
    auto r = RunProgram(BinPath("VelkoCon"), {"001", "2"}, dir.path());
    EXPECT_EQ(r.status, 255) << c.ini;
    EXPECT_EQ(r.out, c.message) << c.ini;
    EXPECT_EQ(r.err, c.cause) << c.ini;
    EXPECT_FALSE(testing_support::Exists(dir.File("qs001F25.dat"))) << c.ini;
  }
}

}  // namespace
