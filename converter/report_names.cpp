#include "converter/report_names.h"

#include <vector>

#include "base/ascii_case.h"
#include "common/scale_file_names.h"
#include "converter/run_lock.h"
#include "platform/files.h"

namespace converter {
namespace {

const char kScalePlaceholder[] = "{scale}";
const char kLogKey[] = "Log File";
const char kArchiveKey[] = "Archive";

struct ReportKey {
  const char* name;
  std::string Settings::*value;
};

const ReportKey kReportKeys[] = {
    {"MGTotal", &Settings::mg_total},       {"PLUTotal", &Settings::plu_total}, {"ClerkTotal", &Settings::clerk_total},
    {"StoreTotal", &Settings::store_total}, {"Transact", &Settings::transact},  {"RTBuffer", &Settings::rt_buffer},
};

const common::DataFile kDataFiles[] = {
    common::DataFile::kF34, common::DataFile::kF38, common::DataFile::kF25, common::DataFile::kF92,
    common::DataFile::kF52, common::DataFile::kF24, common::DataFile::kF26, common::DataFile::kF29,
    common::DataFile::kF46, common::DataFile::kF30, common::DataFile::kF64,
};

// '\' as '/', without a leading "./", and without the dots and blanks at
// the end of a name, which the shop PC's file system drops ("velkocon.ini."
// is "velkocon.ini" there).
std::string Normalized(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  while (name.compare(0, 2, "./") == 0) name.erase(0, 2);
  std::string result;
  std::string::size_type begin = 0;
  for (;;) {
    std::string::size_type end = name.find('/', begin);
    std::string part = name.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    if (part != "." && part != "..") {
      while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    }
    result += part;
    if (end == std::string::npos) return result;
    result += '/';
    begin = end + 1;
  }
}

// A name the shop PC's system takes for a device, whatever its ending
// ("NUL", "con.txt", "LPT1.csv"): a report written there is lost.
bool NamesADevice(const std::string& name) {
  static const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                         "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                         "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
  std::string::size_type begin = 0;
  for (;;) {
    std::string::size_type end = name.find('/', begin);
    std::string part = name.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    part = part.substr(0, part.find('.'));
    while (!part.empty() && part.back() == ' ') part.pop_back();
    for (const char* device : kDevices) {
      if (base::EqualsIgnoringCase(part, device)) return true;
    }
    if (end == std::string::npos) return false;
    begin = end + 1;
  }
}

bool LeavesTheFolder(const std::string& name) {
  if (platform::IsAbsolutePath(name)) return true;
  std::string::size_type begin = 0;
  for (;;) {
    std::string::size_type end = name.find('/', begin);
    if (name.compare(begin, end == std::string::npos ? std::string::npos : end - begin, "..") == 0 &&
        (end == std::string::npos ? name.size() - begin : end - begin) == 2) {
      return true;
    }
    if (end == std::string::npos) return false;
    begin = end + 1;
  }
}

// The files of the working folder that a report, the log or the archive
// must not replace; but for the file the named key gives itself.
std::vector<std::string> OwnFiles(const RunContext& context, const char* key) {
  const Settings& s = context.settings;
  std::vector<std::string> files = {"velkocon.ini", "VelkoCon.txt", "VelkoCon", "VelkoCon.exe", "xferlnk",
                                    "xferlnk.exe",  "F34.DAT",      "F38.DAT",  "error",        "retvals",
                                    kRunLockName};
  if (!s.page_detail.empty()) files.push_back(Normalized(s.page_detail[0] == '\\' ? s.page_detail.substr(1)
                                                                                   : s.page_detail));
  if (!s.log_file.empty() && std::string(key) != kLogKey) {
    files.push_back(Normalized(s.log_file));
    files.push_back(Normalized(s.log_file) + ".1");
  }
  if (!s.archive.empty() && std::string(key) != kArchiveKey) files.push_back(Normalized(s.archive));
  for (const std::string& scale : context.scales) {
    for (common::DataFile file : kDataFiles) {
      files.push_back(common::ConverterFileName(scale, file));
      for (common::TransferMode mode : {common::TransferMode::kScaleNumber, common::TransferMode::kDhcp}) {
        common::TransferNames names =
            common::MakeTransferNames(scale, common::TransferFileArgument(file, mode), mode);
        files.push_back(names.outgoing);
        files.push_back(names.incoming);
      }
    }
  }
  return files;
}

RunStatus Refused(const char* what, const char* key, const std::string& value, const char* why) {
  return RunStatus::Error(RunFailure::kSettings, std::string(what) + key + "=" + value + " " + why);
}

// The name stays in the shop's folder and names none of the programs' own
// files (but for the one its key gives itself); what names a setting's
// failure: "The report file ", "The setting ".
RunStatus CheckConfined(const RunContext& context, const char* what, const char* key, const std::string& value,
                        const std::string& name_given) {
  const std::string name = Normalized(name_given);
  if (LeavesTheFolder(name)) return Refused(what, key, value, "is outside the working folder.");
  if (NamesADevice(name)) return Refused(what, key, value, "names a device.");
  for (const std::string& file : OwnFiles(context, key)) {
    if (base::EqualsIgnoringCase(name, Normalized(file))) return Refused(what, key, value, "names a file of the programs.");
  }
  return RunStatus::Ok();
}

}  // namespace

std::string ReportFileName(const std::string& value, const std::string& scale_identifier) {
  std::string name = value;
  const std::string placeholder = kScalePlaceholder;
  for (std::string::size_type at = name.find(placeholder); at != std::string::npos;
       at = name.find(placeholder, at + scale_identifier.size())) {
    name.replace(at, placeholder.size(), scale_identifier);
  }
  return name;
}

RunStatus CheckReportNames(const RunContext& context) {
  const char kReport[] = "The report file ";
  for (const ReportKey& key : kReportKeys) {
    const std::string& value = context.settings.*key.value;
    if (value.empty()) continue;
    // Each scale of a run fetches into its own report.
    if (context.scales.size() > 1 && value.find(kScalePlaceholder) == std::string::npos) {
      return Refused(kReport, key.name, value, "does not hold {scale}, and the run fetches from several scales.");
    }
    for (const std::string& scale : context.scales) {
      if (RunStatus status = CheckConfined(context, kReport, key.name, value, ReportFileName(value, scale));
          !status.ok()) {
        return status;
      }
    }
  }
  const char kSetting[] = "The setting ";
  const Settings& s = context.settings;
  for (const auto& [key, value] : {std::pair<const char*, const std::string&>(kLogKey, s.log_file),
                                   std::pair<const char*, const std::string&>(kArchiveKey, s.archive)}) {
    if (value.empty()) continue;
    if (RunStatus status = CheckConfined(context, kSetting, key, value, value); !status.ok()) return status;
  }
  return RunStatus::Ok();
}

}  // namespace converter
