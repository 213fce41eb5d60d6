// Byte-by-byte translation between two encodings through the system's
// iconv. POSIX only: the Win32 build translates code pages with the
// system's own functions (platform/code_pages_win32.cpp).
#pragma once

#include <string>

namespace platform {

// iconv's name of a numbered code page: "CP866" for 866.
std::string CodePageEncoding(int code_page);

// One iconv conversion, used one byte at a time.
class ByteConverter {
 public:
  ByteConverter() = default;
  ~ByteConverter();
  ByteConverter(const ByteConverter&) = delete;
  ByteConverter& operator=(const ByteConverter&) = delete;

  // Opens the conversion from `from` to `to` (iconv names such as "CP1251"
  // or "UTF-8"). False if the system does not know it.
  bool Open(const std::string& from, const std::string& to);
  // Sets out to what the single byte becomes. False (out empty) if the byte
  // has no counterpart, or if the conversion is not open.
  bool Convert(unsigned char byte, std::string* out);

 private:
  void* handle_ = nullptr;  // iconv_t
};

}  // namespace platform
