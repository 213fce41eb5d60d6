// The name contract between the two programs: the name under which the
// converter writes or reads each scale file against the name the transfer
// program opens or creates for it, compared as the file system of the shop
// PC compares them (ignoring letter case).
#include "common/scale_file_names.h"

#include <gtest/gtest.h>
#include <strings.h>

namespace {

using common::DataFile;
using common::TransferMode;

const DataFile kAllFiles[] = {DataFile::kF34, DataFile::kF38, DataFile::kF25, DataFile::kF92,
                              DataFile::kF52, DataFile::kF24, DataFile::kF26, DataFile::kF29,
                              DataFile::kF46, DataFile::kF30, DataFile::kF64,
                              DataFile::kF85, DataFile::kF95};

TEST(NameContract, ConverterAndTransferProgramMeetOnOneFile) {
  for (const char* identifier : {"7", "12", "001", "1234", "10.0.0.5", "ScaleBack"}) {
    for (TransferMode mode : {TransferMode::kScaleNumber, TransferMode::kDhcp}) {
      // In scale-number mode the names meet for three-character identifiers
      // only, the only ones the converter's command line takes there.
      const bool meet = mode == TransferMode::kDhcp || std::string(identifier).size() == 3;
      for (DataFile file : kAllFiles) {
        common::TransferNames names =
            common::MakeTransferNames(identifier, common::TransferFileArgument(file, mode), mode);
        const std::string& transfer_name = common::IsFetched(file) ? names.incoming : names.outgoing;
        const std::string converter_name = common::ConverterFileName(identifier, file);
        EXPECT_EQ(strcasecmp(converter_name.c_str(), transfer_name.c_str()) == 0, meet)
            << identifier << " " << common::DataFileArgument(file) << ": " << converter_name << " / "
            << transfer_name;
      }
    }
  }
}

}  // namespace
