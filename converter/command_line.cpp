#include "converter/command_line.h"

#include <cstring>

namespace converter {
namespace {

constexpr int kMaxArguments = 3;
// The longer of the two file parts that follow the prefix ("F25.dat", "F52.dat").
constexpr std::size_t kScaleFilePartLength = 7;

bool IdentifierNamesAFile(const std::string& identifier) {
  if (identifier.empty()) return false;
  if (identifier.find('/') != std::string::npos || identifier.find('\\') != std::string::npos) return false;
  return std::strlen("qs") + identifier.size() + kScaleFilePartLength <= kMaxScaleFileName;
}

RunMode ModeForOption(const char* option) {
  if (std::strcmp(option, "-Report") == 0) return RunMode::kReport;
  if (std::strcmp(option, "-Transact") == 0) return RunMode::kTransact;
  if (std::strcmp(option, "-RTBuffer") == 0) return RunMode::kRTBuffer;
  return RunMode::kLoad;
}

}  // namespace

char SeparatorForDigit(char digit) {
  switch (digit) {
    case '1': return ',';
    case '2': return ';';
    case '3': return '#';
    case '4': return '.';
    default: return '\t';
  }
}

bool ParseCommandLine(int argument_count, char** arguments, RunContext* context) {
  if (argument_count < 1 || argument_count > kMaxArguments) return false;
  context->scale_identifier = arguments[0];
  if (!IdentifierNamesAFile(context->scale_identifier)) return false;
  context->prefix = "qs" + context->scale_identifier;
  context->separator = '\t';
  context->mode = RunMode::kLoad;
  if (argument_count >= 2) context->separator = SeparatorForDigit(arguments[1][0]);
  if (argument_count >= 2) context->mode = ModeForOption(arguments[argument_count - 1]);
  return true;
}

}  // namespace converter
