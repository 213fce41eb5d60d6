// POSIX implementation of platform/iconv_bytes.h.
#include "platform/iconv_bytes.h"

#include <iconv.h>

#include <cstdio>

namespace platform {
namespace {

// The most bytes one byte can become (UTF-8 needs up to four).
constexpr std::size_t kMaxBytesPerByte = 8;

}  // namespace

std::string CodePageEncoding(int code_page) {
  char name[16];
  std::snprintf(name, sizeof name, "CP%d", code_page);
  return name;
}

ByteConverter::~ByteConverter() {
  if (handle_ != nullptr) iconv_close(static_cast<iconv_t>(handle_));
}

bool ByteConverter::Open(const std::string& from, const std::string& to) {
  if (handle_ != nullptr) iconv_close(static_cast<iconv_t>(handle_));
  handle_ = nullptr;
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  handle_ = cd;
  return true;
}

bool ByteConverter::Convert(unsigned char byte, std::string* out) {
  out->clear();
  if (handle_ == nullptr) return false;
  iconv_t cd = static_cast<iconv_t>(handle_);
  char in_byte = static_cast<char>(byte);
  char out_bytes[kMaxBytesPerByte];
  char* in_ptr = &in_byte;
  char* out_ptr = out_bytes;
  std::size_t in_left = 1, out_left = sizeof out_bytes;
  // Each byte on its own: no shift state carries over from the one before.
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) || in_left != 0) {
    return false;
  }
  out->assign(out_bytes, sizeof out_bytes - out_left);
  return true;
}

}  // namespace platform
