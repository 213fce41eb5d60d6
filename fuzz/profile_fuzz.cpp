// The profile reader: any bytes as "velkocon.ini", every key the converter
// asks for, then the converter's whole settings reading over the same file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "converter/settings.h"
#include "fuzz/fuzz_support.h"
#include "platform/profile.h"

namespace {

const char* const kTextKeys[] = {"Shop Name", "CodePage", "PageDetail", "MGTotal", "PLUTotal",
                                 "ClerkTotal", "StoreTotal", "Transact", "RTBuffer"};
const char* const kNumberKeys[] = {"Time Print", "No Type", "Label Format", "Barcode Prefix", "Barcode Type",
                                   "Barcode Weight Prefix", "Barcode Weight Type", "Shop Font"};
constexpr std::size_t kCut = 99;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Reading "Dos" settings builds the code-page table from this pair.
  setenv("VELKOCON_CODEPAGES", "1251:866", 1);
  fuzz::SilenceStandardOutput();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& directory = fuzz::ScratchDirectory();
  fuzz::WriteWholeFile(directory + "/velkocon.ini", data, size);
  platform::Profile profile;
  FUZZ_CHECK(platform::LoadProfile(directory + "/velkocon.ini", &profile));
  for (const char* key : kTextKeys) {
    bool found = false;
    std::string value = platform::ProfileString(profile, "Params", key, kCut, &found);
    FUZZ_CHECK(value.size() <= kCut);
    FUZZ_CHECK(found || value.empty());
    // A value never holds a line end, and loses its blanks at both ends.
    FUZZ_CHECK(value.find('\n') == std::string::npos);
  }
  for (const char* key : kNumberKeys) {
    int value = platform::ProfileInt(profile, "params", key, -7);
    (void)value;
  }

  converter::Settings settings;
  converter::NameTable names;
  auto status = converter::ReadSettings(platform::SystemEnv(), directory, &settings, &names);
  if (!status.ok()) {
    FUZZ_CHECK(!status.message().empty() && status.message().back() != '\n');
  } else {
    FUZZ_CHECK(settings.shop_name.size() <= converter::kMaxSettingLength);
    FUZZ_CHECK(settings.shop_font >= 0 && settings.shop_font <= 9);
    FUZZ_CHECK(settings.barcode_prefix >= 0 && settings.barcode_prefix <= 99);
  }
  return 0;
}
