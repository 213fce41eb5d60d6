// The command line of a Windows program: see platform/windows_command_line.h.
#include "platform/windows_command_line.h"

#include <cstddef>

namespace platform {

std::string QuoteWindowsArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled and the quote escaped by one
    // more; before anything else they stand for themselves.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(backslashes * 2, '\\');  // the closing quote follows them
  quoted += '"';
  return quoted;
}

std::string WindowsCommandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = "\"" + program + "\"";
  for (const std::string& argument : arguments) {
    line += ' ';
    line += QuoteWindowsArgument(argument);
  }
  return line;
}

}  // namespace platform
