#include "common/scale_file_names.h"

#include "base/ascii_case.h"

namespace common {
namespace {

constexpr std::size_t kScaleNumberLength = 3;
const char kConverterPrefix[] = "qs";

struct DataFileRow {
  DataFile file;
  const char* argument;        // the transfer program's file argument
  const char* converter_part;  // after the converter's per-scale prefix
  bool fetched;
};

const DataFileRow kDataFiles[] = {
    {DataFile::kF34, "F34.DAT", "F34.DAT", false}, {DataFile::kF38, "F38.DAT", "F38.DAT", false},
    {DataFile::kF25, "F25.DAT", "F25.dat", false}, {DataFile::kF92, "F92.DAT", "f92.DAT", false},
    {DataFile::kF52, "F52.DAT", "F52.dat", false}, {DataFile::kF24, "F24.DAT", "t24.dat", true},
    {DataFile::kF26, "F26.DAT", "t26.dat", true},  {DataFile::kF29, "F29.DAT", "t29.dat", true},
    {DataFile::kF46, "F46.DAT", "t46.dat", true},  {DataFile::kF30, "F30.DAT", "t30.dat", true},
    {DataFile::kF64, "F64.DAT", "t64.dat", true},  {DataFile::kF85, "F85.DAT", "t85.dat", true},
    {DataFile::kF95, "F95.DAT", "F95.dat", false},
};

const DataFileRow& RowOf(DataFile file) { return kDataFiles[static_cast<int>(file)]; }

// The scale argument made three characters long: "7" gives 007, "12" 012,
// "1234" 123.
std::string ScaleNumberText(const std::string& scale_argument) {
  if (scale_argument.size() >= kScaleNumberLength) return scale_argument.substr(0, kScaleNumberLength);
  return std::string(kScaleNumberLength - scale_argument.size(), '0') + scale_argument;
}

}  // namespace

const char* DataFileArgument(DataFile file) { return RowOf(file).argument; }

std::string TransferFileArgument(DataFile file, TransferMode mode) {
  const std::string name = RowOf(file).argument;
  return mode == TransferMode::kDhcp ? name.substr(0, name.find('.')) : name;
}

TransferMode TransferModeFromValue(bool defined, const std::string& value) {
  return defined && base::EqualsIgnoringCase(value, "DHCP") ? TransferMode::kDhcp : TransferMode::kScaleNumber;
}

std::string ConverterFileName(const std::string& scale_identifier, DataFile file) {
  return kConverterPrefix + scale_identifier + RowOf(file).converter_part;
}

bool IsFetched(DataFile file) { return RowOf(file).fetched; }

TransferNames MakeTransferNames(const std::string& scale_argument, const std::string& file_argument,
                                TransferMode mode) {
  TransferNames names;
  if (mode == TransferMode::kDhcp) {
    names.outgoing = "QS" + scale_argument + file_argument + ".DAT";
    names.incoming = "QS" + scale_argument + "T" + file_argument.substr(1) + ".DAT";
  } else {
    const std::string scale = ScaleNumberText(scale_argument);
    const std::string digits = file_argument.substr(1, 2);
    names.outgoing = "QS" + scale + "F" + digits + ".DAT";
    names.incoming = "QS" + scale + "T" + digits + ".DAT";
  }
  return names;
}

}  // namespace common
