#include "platform/buffered_output.h"

#include <cstring>

namespace platform {

SystemStatus BufferedOutputFile::Write(const char* bytes, std::size_t count) {
  if (!failure_.ok()) return failure_;
  if (closed_) return Failure("the file is closed");
  if (used_ + count > kBufferSize) {
    if (SystemStatus flushed = Flush(); !flushed.ok()) return flushed;
    if (count > kBufferSize) return WriteAll(bytes, count);
  }
  std::memcpy(buffer_ + used_, bytes, count);
  used_ += count;
  return SystemStatus::Ok();
}

SystemStatus BufferedOutputFile::Flush() {
  const std::size_t used = used_;
  used_ = 0;
  return WriteAll(buffer_, used);
}

SystemStatus BufferedOutputFile::Truncate(std::uint64_t size) {
  if (SystemStatus flushed = Flush(); !flushed.ok()) return flushed;
  if (failure_.ok()) failure_ = closed_ ? Failure("the file is closed") : TruncateThrough(size);
  return failure_;
}

SystemStatus BufferedOutputFile::Sync() {
  if (SystemStatus flushed = Flush(); !flushed.ok()) return flushed;
  if (failure_.ok()) failure_ = SyncThrough();
  return failure_;
}

SystemStatus BufferedOutputFile::Close() {
  if (closed_) return failure_;
  SystemStatus status = Flush();
  SystemStatus closed = CloseThrough();
  closed_ = true;
  if (failure_.ok()) failure_ = status.ok() ? closed : status;
  return failure_;
}

SystemStatus BufferedOutputFile::WriteAll(const char* bytes, std::size_t count) {
  if (failure_.ok() && count > 0) failure_ = closed_ ? Failure("the file is closed") : WriteThrough(bytes, count);
  return failure_;
}

}  // namespace platform
