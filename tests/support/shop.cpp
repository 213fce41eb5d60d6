#include "support/shop.h"

#include <cctype>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

namespace testing_support {

std::string TransferFailedLine(const std::string& file, const std::string& scale, int result) {
  const struct {
    int result;
    const char* words;
  } kWords[] = {
      {-1, "the file to send cannot be opened or is not well formed, or the file to fill cannot be created"},
      {-3, "a key packet got no reply, or the incoming file did not take a reply"},
      {-5, "no connection to the scale"},
      {-6, "a reply is missing, or the scale's records did not end as they must"},
      {-7, "a request could not be sent"},
      {-8, "receiving a reply failed or timed out"},
      {-9, "the scale refused what it was sent"},
      {-10, "a read went past its limit of records, bytes or time"},
  };
  std::string words = "unknown result";
  for (const auto& row : kWords) {
    if (row.result == result) words = row.words;
  }
  return "Transfer of " + file + " to scale " + scale + " failed: " + words + " (result " + std::to_string(result) +
         ")\n";
}
std::string ReasonText(Reason reason) {
  const char* windows_programs = std::getenv("SCALELINK_PROGRAM_DIR");
  const bool windows = windows_programs != nullptr && windows_programs[0] != '\0';
  switch (reason) {
    case Reason::kNoSuchFile: return windows ? "File not found." : "No such file or directory";
    case Reason::kIsAFolder: return windows ? "Access denied." : "Is a directory";
    case Reason::kDiskFull: return windows ? "Disk full." : "No space left on device";
  }
  return "";
}

std::string CauseLine(const std::string& what, Reason reason) {
  return "VelkoCon: " + what + ": " + ReasonText(reason) + "\n";
}

namespace {

// How long ExpectLog waits for the emulator's log to be complete.
constexpr auto kLogWait = std::chrono::seconds(3);

// True if two "NAME=value" entries name one variable, ignoring case, as the
// transfer program reads its variables.
bool SameName(const std::string& a, const std::string& b) {
  std::string::size_type end = a.find('=');
  if (end != b.find('=')) return false;
  for (std::string::size_type i = 0; i < end; ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// Adds entry to entries, in place of one that names the same variable.
void Set(std::vector<std::string>* entries, const std::string& entry) {
  std::erase_if(*entries, [&](const std::string& e) { return SameName(e, entry); });
  entries->push_back(entry);
}

// A packet log with its "close" lines moved to the end.
std::string Canonical(const std::string& log) {
  std::string kept, closes;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) (line.ends_with(" close") ? closes : kept) += line + "\n";
  return kept + closes;
}

std::string ScaleHost(int scale) {
  char host[16];
  std::snprintf(host, sizeof host, "S%04d", scale);
  return host;
}

// Copies a built program into folder under its built name, so that a Windows
// program keeps its ".exe" (the converter looks for "xferlnk.exe").
std::string CopyProgram(const std::string& program, const std::string& folder) {
  std::string built = BinPath(program);
  std::string copy = folder + built.substr(built.rfind('/'));
  std::error_code error;
  EXPECT_TRUE(std::filesystem::copy_file(built, copy, error)) << built << ": " << error.message();
  return copy;
}

}  // namespace

Shop::Shop(const std::string& program_folder, const std::string& working_folder)
    : program_(root_.File(program_folder)), work_(root_.File(working_folder)), address_(LoopbackAddressForTest()) {
  std::error_code error;
  std::filesystem::create_directory(program_, error);
  std::filesystem::create_directory(work_, error);
  converter_ = CopyProgram("VelkoCon", program_);
  transfer_ = CopyProgram("xferlnk", program_);
  for (int scale = 1; scale <= kNamedScales; ++scale) AddHost(ScaleHost(scale), address_);
}

void Shop::Write(const std::string& name, const std::string& bytes) const {
  EXPECT_TRUE(WriteFile(File(name), bytes)) << name;
}

void Shop::PreparedFiles(const std::string& f34, const std::string& f38) const {
  EXPECT_TRUE(WriteFile(ProgramFile("F34.DAT"), f34));
  EXPECT_TRUE(WriteFile(ProgramFile("F38.DAT"), f38));
}

// The hosts file is written here, not at each run: a test may run a program
// under a file-size limit.
void Shop::AddHost(const std::string& name, const std::string& address) {
  hosts_.emplace_back(name, address);
  hosts_environment_ = HostsEnvironment(root_.File("hosts"), hosts_);
}

void Shop::SetEnvironment(const std::string& entry) { Set(&environment_, entry); }

ProgramResult Shop::RunHere(const std::string& program, const std::vector<std::string>& arguments,
                            const std::vector<std::string>& extra_env, int timeout_ms) const {
  std::vector<std::string> env = environment_;
  for (const std::string& entry : extra_env) Set(&env, entry);
  if (use_hosts_file_) env.insert(env.end(), hosts_environment_.begin(), hosts_environment_.end());
  return RunProgram(program, arguments, work_, env, timeout_ms);
}

ProgramResult Shop::Shell(const std::string& script, int timeout_ms) const {
  return RunHere("/bin/sh", {"-c", script}, {"VELKOCON=" + converter_, "XFERLNK=" + transfer_}, timeout_ms);
}

void Shop::SeedStore(int scale, const std::string& table_text) const {
  char folder[8];
  std::snprintf(folder, sizeof folder, "/%03d", scale);
  std::error_code error;
  std::filesystem::create_directories(Store() + folder, error);
  EXPECT_TRUE(WriteFile(Store() + folder + "/tables.hex", table_text));
}

bool Shop::StartScales(const std::vector<int>& scales, const std::vector<std::string>& faults) {
  std::vector<std::string> listen;
  for (int scale : scales) listen.push_back(address_ + ":" + std::to_string(2000 + scale));
  return sim_.Start(Store(), listen, faults);
}

std::string Shop::Log() const {
  std::string log = sim_.Log();
  return log == "<missing>" ? std::string() : log;
}

void Shop::ExpectLog(const std::string& expected) const {
  auto deadline = std::chrono::steady_clock::now() + kLogWait;
  std::string log = Canonical(Log());
  while (log != Canonical(expected) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    log = Canonical(Log());
  }
  EXPECT_EQ(log, Canonical(expected));
}

std::vector<std::string> Shop::Requests() {
  StopScales();
  std::vector<std::string> requests;
  std::istringstream lines(Log());
  std::string line;
  while (std::getline(lines, line)) {
    if (line.find(" < ") == std::string::npos && !line.ends_with(" close")) requests.push_back(line);
  }
  return requests;
}

}  // namespace testing_support
