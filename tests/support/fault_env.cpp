#include "support/fault_env.h"

#include <cerrno>

#include "base/ascii_case.h"

#ifdef _WIN32
#include "platform/windows_headers_win32.h"
#endif

namespace testing_support {
namespace {

const char* const kOpNames[] = {"open",   "create", "append", "write", "flush", "sync",    "close",
                                "rename", "remove", "copy",   "lock",  "run",   "truncate"};

std::string LastPart(const std::string& path) {
  const std::string::size_type separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool HoldsIgnoringCase(const std::string& text, const std::string& part) {
  if (part.empty()) return true;
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    if (base::StartsIgnoringCase(std::string_view(text).substr(at), part)) return true;
  }
  return false;
}

// A file of the FaultEnv for writing: each call goes through the env first.
class FaultOutput final : public platform::OutputFile {
 public:
  FaultOutput(FaultEnv& env, std::string name, std::unique_ptr<platform::OutputFile> file)
      : env_(env), name_(std::move(name)), file_(std::move(file)) {}
  platform::SystemStatus Write(const char* bytes, std::size_t count) override {
    if (!failure_.ok()) return failure_;
    failure_ = env_.Step(FileOp::kWrite, name_, count);
    if (!failure_.ok()) return failure_;
    return file_->Write(bytes, count);
  }
  platform::SystemStatus Flush() override { return Pass(FileOp::kFlush, [this] { return file_->Flush(); }); }
  platform::SystemStatus Sync() override { return Pass(FileOp::kSync, [this] { return file_->Sync(); }); }
  platform::SystemStatus Truncate(std::uint64_t size) override {
    return Pass(FileOp::kTruncate, [this, size] { return file_->Truncate(size); });
  }
  platform::SystemStatus Close() override {
    if (closed_) return failure_;
    closed_ = true;
    platform::SystemStatus closed = file_->Close();
    platform::SystemStatus step = env_.Step(FileOp::kClose, name_);
    if (failure_.ok()) failure_ = !closed.ok() ? closed : step;
    return failure_;
  }

 private:
  template <typename Call>
  platform::SystemStatus Pass(FileOp op, Call call) {
    if (!failure_.ok()) return failure_;
    failure_ = env_.Step(op, name_);
    if (failure_.ok()) failure_ = call();
    return failure_;
  }

  FaultEnv& env_;
  std::string name_;
  std::unique_ptr<platform::OutputFile> file_;
  platform::SystemStatus failure_;
  bool closed_ = false;
};

}  // namespace

platform::SystemStatus DiskFull() {
#ifdef _WIN32
  return platform::SystemError(ERROR_DISK_FULL);
#else
  return platform::SystemError(ENOSPC);
#endif
}

platform::SystemStatus NotAllowed() {
#ifdef _WIN32
  return platform::SystemError(ERROR_ACCESS_DENIED);
#else
  return platform::SystemError(EACCES);
#endif
}

void FaultEnv::FailNth(FileOp op, int n, const std::string& name_part, platform::SystemStatus failure) {
  faults_.push_back({op, n, name_part, std::move(failure)});
}

platform::SystemStatus FaultEnv::Step(FileOp op, const std::string& name, std::uint64_t bytes) {
  std::string line = std::string(kOpNames[static_cast<int>(op)]) + " " + LastPart(name);
  if (op == FileOp::kWrite) {
    line += ' ';
    line += std::to_string(bytes);
  }
  operations_.push_back(line);
  for (Fault& fault : faults_) {
    if (fault.op != op || fault.countdown <= 0 || !HoldsIgnoringCase(LastPart(name), fault.name_part)) continue;
    if (--fault.countdown == 0) {
      operations_.push_back("failed " + line);
      return fault.failure;
    }
  }
  if (op == FileOp::kWrite && space_limited_) {
    if (bytes > space_left_) {
      space_left_ = 0;
      operations_.push_back("failed " + line);
      return DiskFull();
    }
    space_left_ -= bytes;
  }
  return platform::SystemStatus::Ok();
}

platform::SystemStatus FaultEnv::OpenForReading(const std::string& path, std::unique_ptr<platform::InputFile>* file) {
  if (platform::SystemStatus step = Step(FileOp::kOpen, path); !step.ok()) return step;
  return target().OpenForReading(path, file);
}

platform::SystemStatus FaultEnv::CreateForWriting(const std::string& path,
                                                  std::unique_ptr<platform::OutputFile>* file) {
  return OpenOutput(FileOp::kCreate, path, file);
}

platform::SystemStatus FaultEnv::OpenForAppending(const std::string& path,
                                                  std::unique_ptr<platform::OutputFile>* file) {
  return OpenOutput(FileOp::kAppend, path, file);
}

platform::SystemStatus FaultEnv::OpenOutput(FileOp op, const std::string& path,
                                            std::unique_ptr<platform::OutputFile>* file) {
  if (platform::SystemStatus step = Step(op, path); !step.ok()) return step;
  std::unique_ptr<platform::OutputFile> opened;
  platform::SystemStatus status = op == FileOp::kAppend ? target().OpenForAppending(path, &opened)
                                                        : target().CreateForWriting(path, &opened);
  if (!status.ok()) return status;
  *file = std::make_unique<FaultOutput>(*this, path, std::move(opened));
  return platform::SystemStatus::Ok();
}

platform::SystemStatus FaultEnv::Rename(const std::string& source, const std::string& target_path) {
  if (platform::SystemStatus step = Step(FileOp::kRename, source); !step.ok()) return step;
  operations_.back() += ' ';
  operations_.back() += LastPart(target_path);
  return target().Rename(source, target_path);
}

platform::SystemStatus FaultEnv::Remove(const std::string& path) {
  if (platform::SystemStatus step = Step(FileOp::kRemove, path); !step.ok()) return step;
  return target().Remove(path);
}

platform::SystemStatus FaultEnv::Copy(const std::string& source, const std::string& target_path) {
  if (platform::SystemStatus step = Step(FileOp::kCopy, source); !step.ok()) return step;
  operations_.back() += ' ';
  operations_.back() += LastPart(target_path);
  platform::FileInfo info = target().Stat(source);
  if (info.exists && !info.folder && space_limited_) {
    if (platform::SystemStatus room = Step(FileOp::kWrite, target_path, info.size); !room.ok()) return room;
  }
  return target().Copy(source, target_path);
}

platform::SystemStatus FaultEnv::Lock(const std::string& path, const std::function<void()>& before_waiting,
                                      int wait_seconds, platform::FileLock* lock) {
  if (platform::SystemStatus step = Step(FileOp::kLock, path); !step.ok()) return step;
  return target().Lock(path, before_waiting, wait_seconds, lock);
}

platform::SystemStatus FaultEnv::RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                                            const std::string& directory, platform::ProgramEnd* end) {
  std::string line = LastPart(program);
  for (const std::string& argument : arguments) line += " " + argument;
  if (platform::SystemStatus step = Step(FileOp::kRun, line); !step.ok()) return step;
  if (runner_) return runner_(program, arguments, directory, end);
  return target().RunProgram(program, arguments, directory, end);
}

}  // namespace testing_support
