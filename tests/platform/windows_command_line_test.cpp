// The Windows command line written for a list of arguments. The split side
// is checked for real where it exists: ProcessTest.ArgumentsArriveAsGiven
// under wine.
#include "platform/windows_command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsCommandLineTest, EachArgumentSplitsBackAsItWas) {
  const struct {
    const char* argument;
    const char* quoted;
  } cases[] = {
      {"F25.DAT", "F25.DAT"},
      {"", "\"\""},
      {"two words", "\"two words\""},
      {"tab\there", "\"tab\there\""},
      {"line\nbreak", "\"line\nbreak\""},
      {"C:\\dir\\file", "C:\\dir\\file"},            // backslashes alone stay
      {"\\\\server\\share", "\\\\server\\share"},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},           // a quote gets one backslash
      {"\"", "\"\\\"\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},                   // one backslash before a quote: three
      {"a\\\\\"b", "\"a\\\\\\\\\\\"b\""},             // two: five
      {"dir with blank\\", "\"dir with blank\\\\\""},  // before the closing quote: doubled
      {"x\\ y", "\"x\\ y\""},                         // before a blank: as they are
  };
  for (const auto& c : cases) EXPECT_EQ(platform::QuoteWindowsArgument(c.argument), c.quoted) << c.argument;
}

TEST(WindowsCommandLineTest, ProgramInQuotesThenTheArguments) {
  EXPECT_EQ(platform::WindowsCommandLine("C:\\shop\\xferlnk.exe", {"F25.DAT", "1", "", "a b"}),
            "\"C:\\shop\\xferlnk.exe\" F25.DAT 1 \"\" \"a b\"");
  EXPECT_EQ(platform::WindowsCommandLine("C:\\My Shop\\x.exe", {}), "\"C:\\My Shop\\x.exe\"");
}

}  // namespace
