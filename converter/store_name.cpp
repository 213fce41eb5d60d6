#include "converter/store_name.h"

#include "common/hex_text.h"
#include "common/scale_file_names.h"
#include "converter/scale_file.h"
#include "platform/files.h"

namespace converter {
namespace {

constexpr int kStoreNameKey = 1;
constexpr int kStoreNameFixedBytes = 12;

void AppendHexByte(std::string* text, int value) {
  char digits[2];
  common::PutHexByte(digits, static_cast<unsigned>(value));
  text->append(digits, 2);
}

}  // namespace

std::string BuildStoreNameRecord(const Settings& settings, const NameTable& names) {
  const std::string& name = settings.shop_name;
  std::string translated(name.size(), '\0');
  TranslateName(names, name.data(), name.size(), translated.data());

  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) AppendHexByte(&text, (kStoreNameKey >> shift) & 0xFF);
  int length = kStoreNameFixedBytes + static_cast<int>(name.size());
  AppendHexByte(&text, (length >> 8) & 0xFF);
  AppendHexByte(&text, length & 0xFF);
  AppendHexByte(&text, 0);
  AppendHexByte(&text, settings.label_format);
  AppendHexByte(&text, settings.shop_font);  // 0..9: "0" and the font digit
  AppendHexByte(&text, static_cast<int>(name.size()));
  for (char c : translated) AppendHexByte(&text, static_cast<unsigned char>(c));
  AppendHexByte(&text, 0x0C);
  AppendHexByte(&text, 0x00);
  return text;
}

RunStatus WriteStoreNameFile(const RunContext& context, const std::string& scale) {
  const std::string path = ScaleFilePath(context, scale, common::DataFile::kF52);
  return WriteScaleFile(*context.env, path, BuildStoreNameRecord(context.settings, context.names));
}

}  // namespace converter
