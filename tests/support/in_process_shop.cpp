#include "support/in_process_shop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "common/transfer_contract.h"
#include "converter/driver.h"
#include "platform/environment.h"
#include "transfer/driver.h"

namespace testing_support {
namespace {

// The folder of the program in the system's form, with its separator.
std::string WithSeparator(const std::string& folder) { return platform::JoinPath(folder, ""); }

// Runs a program's entry point as main would: argv with the program's name.
int RunEntry(int (*entry)(int, char**, platform::Env&, common::MessageSink&), const std::string& name,
             const std::vector<std::string>& arguments, platform::Env& env, common::MessageSink& messages) {
  std::vector<std::string> words = {name};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return entry(static_cast<int>(words.size()), argv.data(), env, messages) & 0xFF;
}

// The test's own loopback address, its last number from 1 to 20: that
// number gives the scale's port (2001 to 2020), clear of the ports other
// programs of a machine tend to listen on.
std::string ScaleAddress() {
  std::string address = LoopbackAddressForTest();
  const std::string::size_type dot = address.rfind('.');
  const int last = std::stoi(address.substr(dot + 1));
  return address.substr(0, dot + 1) + std::to_string(1 + last % 20);
}

}  // namespace

InProcessShop::InProcessShop()
    : program_(root_.File("program")), work_(root_.File("shop")), address_(ScaleAddress()) {
  std::filesystem::create_directory(program_);
  std::filesystem::create_directory(work_);
  port_ = 2000 + std::stoi(address_.substr(address_.rfind('.') + 1));
  previous_folder_ = std::filesystem::current_path().string();
  std::filesystem::current_path(work_);
  // The transfer program reads these from the process's environment.
  (void)platform::SetEnvironmentVariable(common::kTransferModeVariable, "DHCP");
  (void)platform::SetEnvironmentVariable(common::kReplyWaitLimit.name, "1");
  (void)platform::SetEnvironmentVariable(common::kLogVariable, "");
  env_.SetProgramDirectory(WithSeparator(program_));
  env_.SetProgramRunner([this](const std::string&, const std::vector<std::string>& arguments, const std::string&,
                               platform::ProgramEnd* end) {
    *end = platform::ProgramEnd();
    end->exit_status = static_cast<std::uint32_t>(
        RunEntry(transfer::RunTransferProgram, common::kTransferProgramName, arguments, env_, *sink_));
    return platform::SystemStatus::Ok();
  });
}

InProcessShop::~InProcessShop() {
  sim_.Stop();
  std::error_code ignored;
  std::filesystem::current_path(previous_folder_, ignored);
}

void InProcessShop::Write(const std::string& name, const std::string& bytes) const {
  EXPECT_TRUE(WriteFile(File(name), bytes)) << name;
}

std::string InProcessShop::ScaleFolder() const {
  char folder[16];
  std::snprintf(folder, sizeof folder, "%03d", port_ - 2000);
  return root_.File("store") + "/" + folder;
}

void InProcessShop::SeedScale(const std::string& table_text) const {
  std::filesystem::create_directories(ScaleFolder());
  EXPECT_TRUE(WriteFile(ScaleFolder() + "/tables.hex", table_text));
}

bool InProcessShop::StartScale(const std::vector<std::string>& faults) {
  return sim_.Start(root_.File("store"), {address_ + ":" + std::to_string(port_)}, faults);
}

std::vector<std::string> InProcessShop::Held(const std::string& code) const {
  std::vector<std::string> records;
  const std::string text = ReadFile(ScaleFolder() + "/tables.hex");
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    if (line.compare(0, code.size() + 1, code + " ") == 0) records.push_back(line.substr(code.size() + 1));
    at = end + 1;
  }
  return records;
}

InProcessRun InProcessShop::Converter(const std::vector<std::string>& arguments) {
  common::StringSink sink;
  sink_ = &sink;
  InProcessRun run;
  run.status = RunEntry(converter::RunConverter, "VelkoCon", arguments, env_, sink);
  run.out = sink.out();
  run.err = sink.err();
  sink_ = nullptr;
  return run;
}

InProcessRun InProcessShop::Transfer(const std::vector<std::string>& arguments) {
  common::StringSink sink;
  InProcessRun run;
  run.status = RunEntry(transfer::RunTransferProgram, common::kTransferProgramName, arguments, env_, sink);
  run.out = sink.out();
  run.err = sink.err();
  return run;
}

}  // namespace testing_support
