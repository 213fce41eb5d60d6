// The converter's start: settings before the command line, the command-line
// and separator tables, and the option words, through the built program.
#include <gtest/gtest.h>

#include "converter/command_line.h"
#include "support/test_support.h"

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
  struct Case {
    std::vector<std::string> args;
    bool ok;
    RunMode mode;
    char separator;
  } cases[] = {
      {{"001"}, true, RunMode::kLoad, '\t'},
      {{"001", "2"}, true, RunMode::kLoad, ';'},
      {{"001", "25"}, true, RunMode::kLoad, ';'},
      {{"001", "-Report"}, true, RunMode::kReport, '\t'},
      {{"001", "-Transact"}, true, RunMode::kTransact, '\t'},
      {{"001", "-RTBuffer"}, true, RunMode::kRTBuffer, '\t'},
      {{"001", "3", "-Transact"}, true, RunMode::kTransact, '#'},
      {{"001", "1", "-RTBuffer"}, true, RunMode::kRTBuffer, ','},
      {{"001", "-Report", "x"}, true, RunMode::kLoad, '\t'},
      {{"001", "-report"}, true, RunMode::kLoad, '\t'},
      {{"001", "4", "-Report"}, true, RunMode::kReport, '.'},
      {{}, false, RunMode::kLoad, '\t'},
      {{"001", "2", "-Report", "x"}, false, RunMode::kLoad, '\t'},
      {{""}, false, RunMode::kLoad, '\t'},
      {{"a/b"}, false, RunMode::kLoad, '\t'},
      {{"a\\b"}, false, RunMode::kLoad, '\t'},
      {{std::string(190, '1')}, true, RunMode::kLoad, '\t'},   // "qs" + 190 + "F25.dat" = 199
      {{std::string(191, '1')}, false, RunMode::kLoad, '\t'},  // 200 characters
  };
  for (const Case& c : cases) {
    std::vector<char*> argv;
    std::vector<std::string> copy = c.args;
    for (std::string& a : copy) argv.push_back(a.data());
    converter::RunContext context;
    bool ok = converter::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &context).ok();
    ASSERT_EQ(ok, c.ok) << ::testing::PrintToString(c.args);
    if (!ok) continue;
    EXPECT_EQ(context.mode, c.mode) << ::testing::PrintToString(c.args);
    EXPECT_EQ(context.separator, c.separator) << ::testing::PrintToString(c.args);
    EXPECT_EQ(context.scale_identifier, c.args[0]);
  }
}

TEST(ConverterStart, CommandLineErrors) {
  TempDir dir;
  WriteFile(dir.File("velkocon.ini"), "[Params]\n");
  for (std::vector<std::string> args :
       {std::vector<std::string>{}, {"001", "2", "-Report", "x"}, {""}, {"../x"}}) {
    auto r = RunProgram(BinPath("VelkoCon"), args, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Command line error.\n");
    EXPECT_EQ(r.out, "");
  }
}

TEST(ConverterStart, SettingsAreReadBeforeTheCommandLine) {
  TempDir dir;
  auto r = RunProgram(BinPath("VelkoCon"), {}, dir.path());
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "velkocon.ini absent\n");
  EXPECT_EQ(r.err, "");

  WriteFile(dir.File("velkocon.ini"), "[Params]\nLabel Format=150\n");
  r = RunProgram(BinPath("VelkoCon"), {"001", "2", "-Report", "x"}, dir.path());
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "Incorrect label format\n");
  EXPECT_EQ(r.err, "");
}

}  // namespace

namespace {

// Every settings failure through the built program: its message on standard
// output, nothing on the error stream, exit code -1 (status 255), no file
// written.
TEST(ConverterStart, SettingsFailuresEndTheRun) {
  struct Case {
    const char* ini;
    const char* page_detail;  // contents of cp.txt, or nullptr
    const char* message;
  } cases[] = {
      {"[Params]\nLabel Format=100\n", nullptr, "Incorrect label format\n"},
      {"[Params]\nBarcode Type=12\n", nullptr, "Incorrect barcode format\n"},
      {"[Params]\nBarcode Weight Type=22\n", nullptr, "Incorrect barcode format\n"},
      {"[Params]\nBarcode Prefix=100\n", nullptr, "Incorrect barcode prefix\n"},
      {"[Params]\nCodePage=OEM\nPageDetail=\\cp.txt\n", nullptr, "File PageDetail is absent. Fatal error!\n"},
      {"[Params]\nCodePage=OEM\nPageDetail=\\cp.txt\n", "192 128\n\n", "File PageDetail is incorrect. Fatal error!\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteFile(dir.File("velkocon.ini"), c.ini);
    WriteFile(dir.File("VelkoCon.txt"), "1;A;1.00\n");
    if (c.page_detail != nullptr) WriteFile(dir.File("cp.txt"), c.page_detail);
    auto r = RunProgram(BinPath("VelkoCon"), {"001", "2"}, dir.path());
    EXPECT_EQ(r.status, 255) << c.ini;
    EXPECT_EQ(r.out, c.message) << c.ini;
    EXPECT_EQ(r.err, "") << c.ini;
    EXPECT_FALSE(testing_support::Exists(dir.File("qs001F25.dat"))) << c.ini;
  }
}

}  // namespace
