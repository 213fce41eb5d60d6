#include "converter/command_line.h"

#include <cstring>
#include <string>

#include "base/ascii_case.h"
#include "base/text_parts.h"
#include "common/scale_file_names.h"

namespace converter {

const char kUsage[] = "Usage: VelkoCon SCALE [DIGIT] [-Report | -Transact | -RTBuffer | -Check] [-NoFetch]";

namespace {

constexpr int kMaxArguments = 4;
constexpr std::size_t kScaleNumberLength = 3;
const char kCommandLineError[] = "Command line error.";
const char kNoFetch[] = "-NoFetch";
// The scale argument that stands for the scales of the setting Scales.
const char kAllScales[] = "all";

struct OptionWord {
  const char* word;
  RunMode mode;
};

const OptionWord kOptionWords[] = {
    {"-Report", RunMode::kReport},
    {"-Transact", RunMode::kTransact},
    {"-RTBuffer", RunMode::kRTBuffer},
    {"-Check", RunMode::kCheck},
    {"-Verify", RunMode::kVerify},
};

const OptionWord* FindOption(const char* word) {
  for (const OptionWord& option : kOptionWords) {
    if (base::EqualsIgnoringCase(word, option.word)) return &option;
  }
  return nullptr;
}

bool IsRetrieval(RunMode mode) {
  return mode == RunMode::kReport || mode == RunMode::kTransact || mode == RunMode::kRTBuffer;
}

RunStatus Error(const std::string& why = std::string()) {
  return RunStatus::Error(RunFailure::kCommandLine, std::string(kCommandLineError) + "\n" + why + kUsage);
}

// Why the identifier names no scale the programs can serve; empty if it does.
std::string IdentifierProblem(const std::string& identifier, common::TransferMode mode) {
  if (identifier.empty() || identifier[0] == '-') return "The scale identifier is missing.\n";
  if (identifier.find_first_of("/\\") != std::string::npos) {
    return "The scale identifier must not hold '/' or '\\'.\n";
  }
  for (char c : identifier) {
    if (static_cast<unsigned char>(c) <= ' ') {
      return "The scale identifier must not hold a blank: the transfer program would take it for other scales.\n";
    }
  }
  // The longest names the converter makes from it are the PLU and store-name files'.
  if (common::ConverterFileName(identifier, common::DataFile::kF25).size() > kMaxScaleFileName ||
      common::ConverterFileName(identifier, common::DataFile::kF52).size() > kMaxScaleFileName) {
    return "The scale identifier is too long.\n";
  }
  if (mode == common::TransferMode::kScaleNumber && identifier.size() != kScaleNumberLength) {
    return "The scale identifier must have three characters, such as 001: the transfer program finds the files "
           "of no other.\n";
  }
  return std::string();
}

}  // namespace

char SeparatorForDigit(char digit) {
  for (const SeparatorChoice& choice : kSeparatorChoices) {
    if (choice.digit == digit) return choice.separator;
  }
  return '\t';
}

RunStatus ParseCommandLine(int argument_count, char** arguments, RunContext* context) {
  if (argument_count < 1 || argument_count > kMaxArguments) return Error();
  const std::string first = arguments[0];
  if (base::EqualsIgnoringCase(first, kAllScales)) {
    if (context->settings.scales.empty()) {
      return RunStatus::Error(RunFailure::kSettings, "No scale in Scales")
          .WithCause("\"" + first + "\" stands for the scales of the setting Scales in velkocon.ini, which names none");
    }
    context->scales = context->settings.scales;
  } else {
    context->scales = base::SplitText(first, ',');
  }
  for (std::size_t i = 0; i < context->scales.size(); ++i) {
    const std::string problem = IdentifierProblem(context->scales[i], context->transfer_mode);
    if (!problem.empty()) return Error(problem);
    for (std::size_t j = 0; j < i; ++j) {
      if (context->scales[j] == context->scales[i]) return Error("The scale " + context->scales[i] + " is named twice.\n");
    }
  }
  context->separator = '\t';
  context->mode = RunMode::kLoad;
  context->fetch = true;

  int next = 1;
  // The separator digit: any word that is no option.
  if (next < argument_count && arguments[next][0] != '-') {
    context->separator = SeparatorForDigit(arguments[next][0]);
    ++next;
  }
  if (next < argument_count) {
    const OptionWord* option = FindOption(arguments[next]);
    if (option == nullptr) return Error();
    context->mode = option->mode;
    ++next;
  }
  if (next < argument_count && IsRetrieval(context->mode) && base::EqualsIgnoringCase(arguments[next], kNoFetch)) {
    context->fetch = false;
    ++next;
  }
  if (next < argument_count) return Error();
  return RunStatus::Ok();
}

}  // namespace converter
