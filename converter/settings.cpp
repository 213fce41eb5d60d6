#include "converter/settings.h"

#include <climits>
#include <cstring>
#include <string>
#include <utility>

#include "base/ascii_case.h"
#include "base/decimal_text.h"
#include "common/transfer_contract.h"
#include "converter/price_list.h"
#include "converter/text_file.h"
#include "platform/code_pages.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace converter {
namespace {

const char kSection[] = "Params";
constexpr int kMaxLabelFormat = 99;
constexpr int kMaxBarcodeType = 21;
constexpr int kUnlistedBarcodeType = 12;  // the barcode rule has no row for it
constexpr int kMaxBarcodePrefix = 99;
constexpr int kNotSet = -1;
constexpr int kMaxShopFont = 9;
constexpr int kDefaultShopFont = 5;
// A PageDetail line is read in pieces of at most this many characters.
constexpr std::size_t kPageDetailPiece = 99;
constexpr int kTableSize = 256;

const char kIniAbsent[] = "velkocon.ini absent";
const char kBadLabelFormat[] = "Incorrect label format";
const char kBadBarcodeFormat[] = "Incorrect barcode format";
const char kBadBarcodePrefix[] = "Incorrect barcode prefix";
const char kPageDetailAbsent[] = "File PageDetail is absent. Fatal error!";
const char kPageDetailIncorrect[] = "File PageDetail is incorrect. Fatal error!";
const char kBadPriceListEncoding[] = "Incorrect price list encoding";
const char kBadPriceDecimals[] = "Incorrect price decimals";
const char kBadLockWait[] = "Incorrect lock wait";
const char kBadParallelScales[] = "Incorrect parallel scales";
const char kBadSwitch[] = "Incorrect switch setting";
const char kBadRemoveLimit[] = "Incorrect remove limit";
const char kSwitchRule[] = "0 or 1";
const char kRemoveLimitRule[] = "0 or more";
const char kLockWaitRule[] = "0 to 604800 seconds";
const char kParallelScalesRule[] = "1 to 64";
const char kBadCodePage[] = "Incorrect code page";

// What a setting's value must be, as failures name it.
const char kLabelFormatRule[] = "0 to 99";
const char kBarcodePrefixRule[] = "0 to 99";
const char kBarcodeWeightPrefixRule[] = "-1 or 0 to 99";
const char kBarcodeTypeRule[] = "1 to 21 but 12";
const char kBarcodeWeightTypeRule[] = "-1 or 1 to 21 but 12";
const char kCodePageRule[] = "Win, Dos or OEM";
const char kPriceListEncodingRule[] = "auto, ANSI or UTF-8";
const char kPriceDecimalsRule[] = "0 to 4";

// The values of CodePage, as the rest of the program names them.
const char kDos[] = "Dos";
const char kWin[] = "Win";
const char kOem[] = "OEM";

// A barcode type the barcode rule lists: 1 to 21 but 12.
bool IsListedBarcodeType(int type) { return type >= 1 && type <= kMaxBarcodeType && type != kUnlistedBarcodeType; }
bool IsBarcodePrefix(int prefix) { return prefix >= 0 && prefix <= kMaxBarcodePrefix; }

std::string Text(const platform::Profile& profile, const char* key) {
  return platform::ProfileString(profile, kSection, key, kMaxSettingLength);
}

// A text setting that has a default: the default when the key is missing,
// the value (empty too) when it is there.
std::string TextOr(const platform::Profile& profile, const char* key, const std::string& default_value) {
  bool found = false;
  std::string value = platform::ProfileString(profile, kSection, key, kMaxSettingLength, &found);
  return found ? value : default_value;
}

// Every key of the section: its name and whether its value is a number.
struct KnownKey {
  const char* name;
  bool number;
};
const KnownKey kKnownKeys[] = {
    {"Time Print", true},    {"No Type", true},       {"Label Format", true},
    {"Barcode Prefix", true}, {"Barcode Type", true},  {"Barcode Weight Prefix", true},
    {"Barcode Weight Type", true}, {"Shop Name", false}, {"CodePage", false},
    {"PageDetail", false},   {"MGTotal", false},      {"PLUTotal", false},
    {"ClerkTotal", false},   {"StoreTotal", false},   {"Transact", false},
    {"RTBuffer", false},     {"Shop Font", true},     {"Archive", false},
    {"Log File", false},     {"Price List Encoding", false}, {"Price Decimals", true},
    {"Report Header", true},  {"Scales", false},     {"Parallel Scales", true},
    {"Lock Wait", true},
    {"Verify", true},        {"Remove Other PLUs", true}, {"Remove Limit", true},
};

const KnownKey* FindKnownKey(const std::string& name) {
  for (const KnownKey& key : kKnownKeys) {
    if (base::EqualsIgnoringCase(name, key.name)) return &key;
  }
  return nullptr;
}

// What the profile reader takes as a number: blanks, a sign, digits.
bool ReadsAsNumber(const std::string& value) {
  const base::DecimalScan scan = base::ScanDecimal(value);
  return scan.digits > 0 && scan.length == value.size();
}

std::vector<std::string> SettingsWarnings(const platform::Profile& profile) {
  std::vector<std::string> warnings;
  std::vector<std::string> keys;
  if (!platform::ProfileKeys(profile, kSection, &keys)) {
    warnings.push_back("velkocon.ini has no [Params] section: every setting takes its default.");
    return warnings;
  }
  for (const std::string& name : keys) {
    const KnownKey* key = FindKnownKey(name);
    if (key == nullptr) {
      warnings.push_back("velkocon.ini: \"" + name + "\" is not a setting; it is left alone.");
      continue;
    }
    if (!key->number) continue;
    const std::string value = platform::ProfileString(profile, kSection, key->name, kMaxSettingLength);
    if (!value.empty() && !ReadsAsNumber(value)) {
      warnings.push_back("velkocon.ini: " + std::string(key->name) + "=" + value + " is not a number.");
    }
  }
  return warnings;
}

bool IsControlOrBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// One line of the table file: "index value".
bool ParsePageDetailLine(std::string line, NameTable* table) {
  std::size_t begin = 0, end = line.size();
  while (begin < end && IsControlOrBlank(line[begin])) ++begin;
  while (end > begin && IsControlOrBlank(line[end - 1])) --end;
  line = line.substr(begin, end - begin);
  std::size_t blank = line.find(' ');
  if (blank == std::string::npos) return false;
  std::size_t index_end = blank;
  while (index_end > 0 && IsControlOrBlank(line[index_end - 1])) --index_end;
  std::size_t value_begin = blank;
  while (value_begin < line.size() && IsControlOrBlank(line[value_begin])) ++value_begin;
  long long index, value;
  if (!base::ParseDecimal(line.substr(0, index_end), 0, kTableSize - 1, &index, true)) return false;
  if (!base::ParseDecimal(line.substr(value_begin), -base::kMaxScannedDecimal, base::kMaxScannedDecimal, &value,
                          true)) {
    return false;
  }
  table->map[index] = static_cast<unsigned char>(value & 0xFF);
  return true;
}

// The PageDetail value names a file by appending it to the working directory
// as it stands; a leading backslash is the directory separator of the
// settings' own platform.
std::string PageDetailPath(const std::string& working_directory, std::string value) {
  for (char& c : value) {
    if (c == '\\') c = platform::kPathSeparator;
  }
  return working_directory + value;
}

RunStatus Failure(const char* message, std::string cause) {
  return RunStatus::Error(RunFailure::kSettings, message).WithCause(std::move(cause));
}

// The words of Scales, separated by blanks or commas.
std::vector<std::string> ScaleList(const std::string& value) {
  std::vector<std::string> scales;
  std::string::size_type at = 0;
  for (;;) {
    at = value.find_first_not_of(" \t,", at);
    if (at == std::string::npos) return scales;
    const std::string::size_type end = value.find_first_of(" \t,", at);
    scales.push_back(value.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end;
  }
}

// A setting whose value breaks its rule: "Barcode Type=12 is not 1 to 21 but 12".
RunStatus Failure(const char* message, const platform::Profile& profile, const char* key, const char* rule) {
  return Failure(message, std::string(key) + "=" + Text(profile, key) + " is not " + rule);
}

// A setting that is 0 (off, its default) or 1 (on); any other value is a
// failure naming it.
RunStatus ReadSwitch(const platform::Profile& profile, const char* key, bool* on) {
  const int value = platform::ProfileInt(profile, kSection, key, 0);
  if (value != 0 && value != 1) return Failure(kBadSwitch, profile, key, kSwitchRule);
  *on = value == 1;
  return RunStatus::Ok();
}

// Price List Encoding: empty or auto, ANSI (the bytes as they are), or UTF-8.
bool ReadPriceListEncoding(const std::string& value, PriceListEncoding* encoding) {
  if (value.empty() || base::EqualsIgnoringCase(value, "auto")) {
    *encoding = PriceListEncoding::kAuto;
  } else if (base::EqualsIgnoringCase(value, "ANSI")) {
    *encoding = PriceListEncoding::kAnsi;
  } else if (base::EqualsIgnoringCase(value, "UTF-8") || base::EqualsIgnoringCase(value, "UTF8")) {
    *encoding = PriceListEncoding::kUtf8;
  } else {
    return false;
  }
  return true;
}

// CodePage in any letter case, as its one spelling; no key means Dos.
bool ReadCodePage(const platform::Profile& profile, std::string* code_page) {
  bool found = false;
  const std::string value = platform::ProfileString(profile, kSection, "CodePage", kMaxSettingLength, &found);
  if (!found) {
    *code_page = kDos;
    return true;
  }
  for (const char* known : {kDos, kWin, kOem}) {
    if (base::EqualsIgnoringCase(value, known)) {
      *code_page = known;
      return true;
    }
  }
  return false;
}

// Price Decimals: empty (not set) or one digit 0 to 4.
bool ReadPriceDecimals(const std::string& value, int* decimals) {
  if (value.empty()) return true;
  if (value.size() != 1 || value[0] < '0' || value[0] > '0' + kMaxPriceDecimals) return false;
  *decimals = value[0] - '0';
  return true;
}

RunStatus BuildNameTable(platform::Env& env, const Settings& settings, const std::string& working_directory,
                         NameTable* names) {
  if (settings.code_page == kDos) {
    platform::SystemStatus status = platform::BuildAnsiToOemTable(names->map);
    if (!status.ok()) {
      return status.As(RunFailure::kSettings)
          .WithCause("CodePage=Dos translates names from the PC's ANSI code page to its OEM code page");
    }
    return RunStatus::Ok();
  }
  if (settings.code_page == kWin) {
    for (int b = 0; b < kTableSize; ++b) names->map[b] = static_cast<unsigned char>(b);
    return RunStatus::Ok();
  }
  // OEM: the table file.
  if (settings.page_detail.empty()) return Failure(kPageDetailAbsent, "PageDetail names no file; CodePage=OEM needs one");
  return LoadPageDetail(env, PageDetailPath(working_directory, settings.page_detail), names,
                        "PageDetail=" + settings.page_detail);
}

// Why velkocon.ini could not be read from the folder.
RunStatus IniAbsent(platform::Env& env, const std::string& path, const std::string& folder, bool without_arguments) {
  const platform::FileInfo info = env.Stat(path);
  std::string cause = info.folder    ? "velkocon.ini in " + folder + " is a folder"
                      : info.exists ? "velkocon.ini in " + folder + " cannot be read"
                                    : "no velkocon.ini in " + folder;
  if (without_arguments) cause += "; VelkoCon is started in the shop folder, which holds it (see VelkoCon --help)";
  return Failure(kIniAbsent, cause);
}

}  // namespace

RunStatus LoadPageDetail(platform::Env& env, const std::string& path, NameTable* table, const std::string& shown) {
  TextFile file;
  if (platform::SystemStatus opened = file.Open(env, path); !opened.ok()) {
    return opened.As(RunFailure::kSettings, kPageDetailAbsent).WithCause("cannot open " + shown + ": " + opened.message());
  }
  for (int b = 0; b < kTableSize; ++b) table->map[b] = static_cast<unsigned char>(b);
  std::string line;
  long long number = 0;
  while (file.ReadLine(&line)) {
    ++number;
    // A long line is taken as several lines of at most kPageDetailPiece
    // characters each, as the table's original reader did.
    std::size_t offset = 0;
    do {
      const std::string piece = line.substr(offset, kPageDetailPiece);
      if (!ParsePageDetailLine(piece, table)) {
        return Failure(kPageDetailIncorrect, "line " + std::to_string(number) + " of " + shown +
                                                 " is not \"index value\": " + QuotedValue(piece));
      }
      offset += kPageDetailPiece;
    } while (offset < line.size());
  }
  return RunStatus::Ok();
}

void TranslateName(const NameTable& names, const char* text, std::size_t count, char* out) {
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<char>(names.map[static_cast<unsigned char>(text[i])]);
}

RunStatus ReadSettings(platform::Env& env, const std::string& working_directory, Settings* settings,
                       NameTable* names, std::vector<std::string>* warnings, bool without_arguments) {
  std::string path = env.ResolveName(platform::JoinPath(working_directory, "velkocon.ini"));
  platform::Profile profile;
  if (!platform::IsFile(env, path) || !platform::LoadProfile(path, &profile)) {
    return IniAbsent(env, path, working_directory, without_arguments);
  }
  Settings s;
  s.time_print = platform::ProfileInt(profile, kSection, "Time Print", 0);
  s.no_type = platform::ProfileInt(profile, kSection, "No Type", 0);
  s.label_format = platform::ProfileInt(profile, kSection, "Label Format", 17);
  if (s.label_format < 0 || s.label_format > kMaxLabelFormat) {
    return Failure(kBadLabelFormat, profile, "Label Format", kLabelFormatRule);
  }
  s.barcode_prefix = platform::ProfileInt(profile, kSection, "Barcode Prefix", 25);
  if (!IsBarcodePrefix(s.barcode_prefix)) return Failure(kBadBarcodePrefix, profile, "Barcode Prefix", kBarcodePrefixRule);
  s.barcode_type = platform::ProfileInt(profile, kSection, "Barcode Type", 5);
  if (!IsListedBarcodeType(s.barcode_type)) return Failure(kBadBarcodeFormat, profile, "Barcode Type", kBarcodeTypeRule);
  s.barcode_weight_prefix = platform::ProfileInt(profile, kSection, "Barcode Weight Prefix", kNotSet);
  if (s.barcode_weight_prefix != kNotSet && !IsBarcodePrefix(s.barcode_weight_prefix)) {
    return Failure(kBadBarcodePrefix, profile, "Barcode Weight Prefix", kBarcodeWeightPrefixRule);
  }
  s.barcode_weight_type = platform::ProfileInt(profile, kSection, "Barcode Weight Type", kNotSet);
  if (s.barcode_weight_type != kNotSet && !IsListedBarcodeType(s.barcode_weight_type)) {
    return Failure(kBadBarcodeFormat, profile, "Barcode Weight Type", kBarcodeWeightTypeRule);
  }
  s.shop_name = Text(profile, "Shop Name");
  if (!ReadCodePage(profile, &s.code_page)) return Failure(kBadCodePage, profile, "CodePage", kCodePageRule);
  if (s.code_page == kOem) s.page_detail = Text(profile, "PageDetail");
  if (RunStatus status = BuildNameTable(env, s, working_directory, names); !status.ok()) return status;
  s.mg_total = Text(profile, "MGTotal");
  s.plu_total = Text(profile, "PLUTotal");
  s.clerk_total = Text(profile, "ClerkTotal");
  s.store_total = Text(profile, "StoreTotal");
  s.transact = Text(profile, "Transact");
  s.rt_buffer = Text(profile, "RTBuffer");
  s.shop_font = platform::ProfileInt(profile, kSection, "Shop Font", kDefaultShopFont);
  if (s.shop_font < 0 || s.shop_font > kMaxShopFont) s.shop_font = kDefaultShopFont;
  s.archive = TextOr(profile, "Archive", s.archive);
  s.log_file = TextOr(profile, "Log File", s.log_file);
  if (!ReadPriceListEncoding(Text(profile, "Price List Encoding"), &s.price_list_encoding)) {
    return Failure(kBadPriceListEncoding, profile, "Price List Encoding", kPriceListEncodingRule);
  }
  if (!ReadPriceDecimals(Text(profile, "Price Decimals"), &s.price_decimals)) {
    return Failure(kBadPriceDecimals, profile, "Price Decimals", kPriceDecimalsRule);
  }
  s.report_header = platform::ProfileInt(profile, kSection, "Report Header", 0);
  s.scales = ScaleList(platform::ProfileString(profile, kSection, "Scales", kMaxScalesSettingLength));
  s.parallel_scales = platform::ProfileInt(profile, kSection, "Parallel Scales", kDefaultParallelScales);
  s.lock_wait_seconds = platform::ProfileInt(profile, kSection, "Lock Wait", kDefaultLockWaitSeconds);
  if (s.lock_wait_seconds < 0 || s.lock_wait_seconds > kMaxLockWaitSeconds) {
    return Failure(kBadLockWait, profile, "Lock Wait", kLockWaitRule);
  }
  if (s.parallel_scales < 1 || s.parallel_scales > common::kMaxParallelScales) {
    return Failure(kBadParallelScales, profile, "Parallel Scales", kParallelScalesRule);
  }
  if (RunStatus status = ReadSwitch(profile, "Verify", &s.verify); !status.ok()) return status;
  if (RunStatus status = ReadSwitch(profile, "Remove Other PLUs", &s.remove_other_plus); !status.ok()) return status;
  s.remove_limit = platform::ProfileInt(profile, kSection, "Remove Limit", kDefaultRemoveLimit);
  if (s.remove_limit < 0) {
    return Failure(kBadRemoveLimit, profile, "Remove Limit", kRemoveLimitRule);
  }
  if (warnings != nullptr) *warnings = SettingsWarnings(profile);
  *settings = s;
  return RunStatus::Ok();
}

}  // namespace converter
