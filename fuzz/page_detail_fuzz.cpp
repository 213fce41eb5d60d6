// The PageDetail table: any bytes as the table file named by the settings.
#include <cstddef>
#include <cstdint>
#include <string>

#include "converter/settings.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string path = fuzz::ScratchDirectory() + "/page.txt";
  fuzz::WriteWholeFile(path, data, size);
  converter::NameTable table;
  auto status = converter::LoadPageDetail(platform::SystemEnv(), path, &table);
  if (status.ok()) {
    // The table translates every byte.
    char in[256], out[256];
    for (int b = 0; b < 256; ++b) in[b] = static_cast<char>(b);
    converter::TranslateName(table, in, sizeof in, out);
  } else {
    FUZZ_CHECK(status.message() == "File PageDetail is incorrect. Fatal error!");
  }
  return 0;
}
