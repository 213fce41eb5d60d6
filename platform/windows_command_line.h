// The command line of a Windows program started with a list of arguments.
//
// Windows hands a started program one string; the program's C run-time
// library (MinGW's and Microsoft's alike) and CommandLineToArgvW split it
// into argv again: at blanks and tabs outside double quotes; 2n backslashes
// before a double quote give n backslashes and the quote opens or closes a
// quoted part, 2n+1 give n backslashes and a literal quote; backslashes
// before anything else stay as they are. The functions here write the string
// that splits back into exactly the given list. Plain text functions, built
// on every platform so that they can be tested anywhere.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The argument as it goes on a command line: unchanged if it is not empty
// and holds no blank, tab, line break or double quote; else in double quotes
// with the backslashes before each quote, and before the closing one,
// doubled and each quote preceded by one more.
std::string QuoteWindowsArgument(const std::string& argument);

// The program's path in double quotes (a Windows path holds none itself),
// then each argument quoted as above, separated by one blank.
std::string WindowsCommandLine(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace platform
