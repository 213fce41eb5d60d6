#include "converter/command_line.h"

#include <cstring>

#include "common/scale_file_names.h"

namespace converter {
namespace {

constexpr int kMaxArguments = 3;
const char kCommandLineError[] = "Command line error.\n";

bool IdentifierNamesAFile(const std::string& identifier) {
  if (identifier.empty()) return false;
  if (identifier.find('/') != std::string::npos || identifier.find('\\') != std::string::npos) return false;
  // The longest name the converter makes from it is the PLU or store-name file's.
  return common::ConverterFileName(identifier, common::DataFile::kF25).size() <= kMaxScaleFileName &&
         common::ConverterFileName(identifier, common::DataFile::kF52).size() <= kMaxScaleFileName;
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

common::Status ParseCommandLine(int argument_count, char** arguments, RunContext* context) {
  const common::Status error = common::Status::Error(kFailureCommandLine, kCommandLineError);
  if (argument_count < 1 || argument_count > kMaxArguments) return error;
  if (!IdentifierNamesAFile(arguments[0])) return error;
  context->scale_identifier = arguments[0];
  context->separator = '\t';
  context->mode = RunMode::kLoad;
  if (argument_count >= 2) context->separator = SeparatorForDigit(arguments[1][0]);
  if (argument_count >= 2) context->mode = ModeForOption(arguments[argument_count - 1]);
  return common::Status::Ok();
}

}  // namespace converter
