// The system's Env: the platform files, called as they are.
#include <chrono>

#include "platform/env.h"

namespace platform {
namespace {

class PlatformEnv final : public Env {
 public:
  std::string ResolveName(const std::string& path) override { return platform::ResolveName(path); }

  FileInfo Stat(const std::string& path) override {
    FileInfo info;
    info.identity = IdentifyFile(path);
    info.exists = info.identity.exists;
    info.folder = info.identity.folder;
    info.size = info.identity.size;
    if (info.exists) (void)FileModifiedLocalTime(path, &info.modified);
    return info;
  }

  SystemStatus OpenForReading(const std::string& path, std::unique_ptr<InputFile>* file) override {
    return OpenFileForReading(path, file);
  }
  SystemStatus CreateForWriting(const std::string& path, std::unique_ptr<OutputFile>* file) override {
    return OpenFileForWriting(path, false, file);
  }
  SystemStatus OpenForAppending(const std::string& path, std::unique_ptr<OutputFile>* file) override {
    return OpenFileForWriting(path, true, file);
  }
  SystemStatus Rename(const std::string& source, const std::string& target) override {
    return RenameFile(source, target);
  }
  SystemStatus Remove(const std::string& path) override { return DeleteFile(path); }
  SystemStatus Copy(const std::string& source, const std::string& target) override {
    return CopyFile(source, target);
  }
  SystemStatus CreateFolders(const std::string& path) override { return CreateDirectoryPath(path); }
  SystemStatus List(const std::string& folder, std::vector<std::string>* names) override {
    return ListFolder(folder, names);
  }
  SystemStatus Map(const std::string& path, MappedFile* file) override { return MapFileReadOnly(path, file); }
  void Unmap(MappedFile* file) override { UnmapFile(file); }
  SystemStatus Lock(const std::string& path, const std::function<void()>& before_waiting, int wait_seconds,
                    FileLock* lock) override {
    return lock->Acquire(path, before_waiting, wait_seconds);
  }

  LocalTime LocalNow() override { return CurrentLocalTime(); }
  double SteadySeconds() override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }

  std::string ProgramDirectory() override { return platform::ProgramDirectory(); }
  SystemStatus RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& directory, ProgramEnd* end) override {
    return RunProgramToEnd(program, arguments, directory, end);
  }
};

}  // namespace

Env& SystemEnv() {
  static PlatformEnv env;
  return env;
}

SystemStatus ReadWholeFile(Env& env, const std::string& path, std::size_t max_bytes, std::string* text) {
  text->clear();
  std::unique_ptr<InputFile> file;
  if (SystemStatus opened = env.OpenForReading(path, &file); !opened.ok()) return opened;
  char buffer[4096];
  for (;;) {
    std::size_t count = 0;
    if (SystemStatus read = file->Read(buffer, sizeof buffer, &count); !read.ok()) return read;
    if (count == 0) return SystemStatus::Ok();
    if (text->size() + count > max_bytes) return Failure("the file " + path + " is longer than expected");
    text->append(buffer, count);
  }
}

SystemStatus WriteWholeFile(Env& env, const std::string& path, const std::string& text) {
  std::unique_ptr<OutputFile> file;
  if (SystemStatus created = env.CreateForWriting(path, &file); !created.ok()) return created;
  SystemStatus written = file->Write(text.data(), text.size());
  SystemStatus closed = file->Close();
  return written.ok() ? closed : written;
}

}  // namespace platform
