#include "converter/scale_file.h"

namespace converter {

std::string FileNameOf(const std::string& path) {
  const std::string::size_type separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

RunStatus CouldNotCreate(const std::string& path, const platform::SystemStatus& reason) {
  return reason.As(RunFailure::kScaleFile, "Could not create file.")
      .WithCause("cannot create " + FileNameOf(path) + ": " + reason.message());
}

RunStatus CouldNotWrite(const std::string& path, const platform::SystemStatus& reason) {
  return reason.As(RunFailure::kScaleFile, "Could not write file.")
      .WithCause("cannot write " + FileNameOf(path) + ": " + reason.message());
}

RunStatus CreateScaleFile(platform::Env& env, const std::string& path, std::unique_ptr<platform::OutputFile>* file) {
  if (platform::SystemStatus created = env.CreateForWriting(path, file); !created.ok()) {
    return CouldNotCreate(path, created);
  }
  return RunStatus::Ok();
}

RunStatus WriteScaleFile(platform::Env& env, const std::string& path, const std::string& text) {
  std::unique_ptr<platform::OutputFile> file;
  if (RunStatus created = CreateScaleFile(env, path, &file); !created.ok()) return created;
  platform::SystemStatus written = file->Write(text.data(), text.size());
  platform::SystemStatus closed = file->Close();
  if (!written.ok()) return CouldNotWrite(path, written);
  if (!closed.ok()) return CouldNotWrite(path, closed);
  return RunStatus::Ok();
}

}  // namespace converter
