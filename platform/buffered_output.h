// Inside the platform layer: the part of an open output file that is the
// same on every platform. Writes are gathered in a buffer of 64 KiB and
// handed to the system when it is full and at Flush, Sync and Close; the
// first failure is kept and given again by every later call. Each platform
// says how bytes reach the system, how they reach the disk, and how the file
// closes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/files.h"

namespace platform {

class BufferedOutputFile : public OutputFile {
 public:
  SystemStatus Write(const char* bytes, std::size_t count) final;
  SystemStatus Flush() final;
  SystemStatus Truncate(std::uint64_t size) final;
  SystemStatus Sync() final;
  SystemStatus Close() final;

 protected:
  // Hands all count bytes to the system.
  virtual SystemStatus WriteThrough(const char* bytes, std::size_t count) = 0;
  // Waits until what the system has of the file is on the disk.
  virtual SystemStatus SyncThrough() = 0;
  // Cuts what the system has of the file to size bytes; writing goes on
  // at the new end.
  virtual SystemStatus TruncateThrough(std::uint64_t size) = 0;
  // Closes the file; called once.
  virtual SystemStatus CloseThrough() = 0;

 private:
  static constexpr std::size_t kBufferSize = 1 << 16;

  // Hands the bytes to the system, keeping the first failure.
  SystemStatus WriteAll(const char* bytes, std::size_t count);

  char buffer_[kBufferSize];
  std::size_t used_ = 0;
  bool closed_ = false;
  SystemStatus failure_;
};

}  // namespace platform
