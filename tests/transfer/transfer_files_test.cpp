#include "transfer/transfer_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/scale_file_names.h"
#include "support/fault_env.h"
#include "support/test_support.h"

namespace transfer {
namespace {

TEST(FileNumberTest, TakesTheSecondAndThirdCharactersAsHex) {
  const struct {
    const char* argument;
    int number;
  } cases[] = {{"F25.DAT", 0x25}, {"F92.DAT", 0x92}, {"f88", 0x88}, {"FA5", 0xA5}, {"Fa5", 0xA5}, {"x30yz", 0x30}};
  for (const auto& c : cases) EXPECT_EQ(FileNumber(c.argument), c.number) << c.argument;
}

TEST(TransferNamesTest, BothModes) {
  const struct {
    const char* scale;
    const char* file;
    common::TransferMode mode;
    const char* outgoing;
    const char* incoming;
  } cases[] = {
      {"7", "F25.DAT", common::TransferMode::kScaleNumber, "QS007F25.DAT", "QS007T25.DAT"},
      {"12", "F24.DAT", common::TransferMode::kScaleNumber, "QS012F24.DAT", "QS012T24.DAT"},
      {"123", "F24.DAT", common::TransferMode::kScaleNumber, "QS123F24.DAT", "QS123T24.DAT"},
      {"1234", "F24.DAT", common::TransferMode::kScaleNumber, "QS123F24.DAT", "QS123T24.DAT"},
      {"1", "f92.DAT", common::TransferMode::kScaleNumber, "QS001F92.DAT", "QS001T92.DAT"},
      {"1", "FA5", common::TransferMode::kScaleNumber, "QS001FA5.DAT", "QS001TA5.DAT"},
      {"1", "Fa5", common::TransferMode::kScaleNumber, "QS001Fa5.DAT", "QS001Ta5.DAT"},
      {"10.0.0.5", "F24", common::TransferMode::kDhcp, "QS10.0.0.5F24.DAT", "QS10.0.0.5T24.DAT"},
      {"10.0.0.5", "F24.DAT", common::TransferMode::kDhcp, "QS10.0.0.5F24.DAT.DAT", "QS10.0.0.5T24.DAT.DAT"},
      {"scale7", "F25.DAT", common::TransferMode::kDhcp, "QSscale7F25.DAT.DAT", "QSscale7T25.DAT.DAT"},
  };
  for (const auto& c : cases) {
    common::TransferNames names = common::MakeTransferNames(c.scale, c.file, c.mode);
    EXPECT_EQ(names.outgoing, c.outgoing) << c.scale << " " << c.file;
    EXPECT_EQ(names.incoming, c.incoming) << c.scale << " " << c.file;
  }
}

// A record of the given length in bytes: key 00000001, then filler.
std::string RecordText(int length) {
  char field[8];
  std::snprintf(field, sizeof field, "%04X", length);
  return "00000001" + std::string(field) + std::string(2 * (length - 6), 'a');
}

struct CheckCase {
  const char* what;
  std::string text;
  OutgoingFormat format;
  bool ok;
  long offset_or_length;  // the bad offset, or the text length when ok
};

TEST(OutgoingTextCheckTest, RecordAndKeyFiles) {
  const std::string r12 = "0000000A000C0102030405FF";  // 12 bytes
  const std::vector<CheckCase> cases = {
      {"empty", "", OutgoingFormat::kRecords, true, 0},
      {"one record", r12, OutgoingFormat::kRecords, true, 24},
      {"two records", r12 + r12, OutgoingFormat::kRecords, true, 48},
      {"lower case digits", "0000000a000c0102030405ff", OutgoingFormat::kRecords, true, 24},
      {"trailing line ends and blanks", r12 + "\r\n \t\n", OutgoingFormat::kRecords, true, 24},
      {"shortest record", "000000010006", OutgoingFormat::kRecords, true, 12},
      {"longest record", RecordText(6143), OutgoingFormat::kRecords, true, 12286},
      {"stray letter", r12 + "0000000G000C0102030405FF", OutgoingFormat::kRecords, false, 31},
      {"line end between records", r12 + "\r\n" + r12, OutgoingFormat::kRecords, false, 24},
      {"blank inside a record", "00000001 0006", OutgoingFormat::kRecords, false, 8},
      {"length below 6", r12 + "000000010005", OutgoingFormat::kRecords, false, 24},
      {"length above 6143", "000000011800" + std::string(100, '0'), OutgoingFormat::kRecords, false, 0},
      {"record cut off", r12 + "0000000A000C01", OutgoingFormat::kRecords, false, 24},
      {"cut off in its length field", "0000000A00", OutgoingFormat::kRecords, false, 0},
      {"cut off before trailing blanks", "0000000A000C01\n", OutgoingFormat::kRecords, false, 0},
      {"only blanks", "\r\n", OutgoingFormat::kRecords, true, 0},
      {"empty key file", "", OutgoingFormat::kKeys, true, 0},
      {"two keys", "0000001200000013", OutgoingFormat::kKeys, true, 16},
      {"keys and a line end", "00000012\r\n", OutgoingFormat::kKeys, true, 8},
      {"key cut off", "000000120000", OutgoingFormat::kKeys, false, 8},
      {"key with a stray character", "0000001200-00013", OutgoingFormat::kKeys, false, 10},
  };
  for (const CheckCase& c : cases) {
    OutgoingTextCheck check(c.format);
    // Fed in small pieces, as a file streams past.
    for (std::size_t i = 0; i < c.text.size(); i += 5)
      check.Feed(c.text.data() + i, std::min<std::size_t>(5, c.text.size() - i));
    EXPECT_EQ(check.Finish(), c.ok) << c.what;
    EXPECT_EQ(c.ok ? check.text_length() : check.bad_offset(), c.offset_or_length) << c.what;
  }
}

class OutgoingFileTest : public ::testing::Test {
 protected:
  platform::InputFile& Open(const std::string& text) {
    testing_support::WriteFile(dir_.File("out"), text);
    EXPECT_TRUE(platform::SystemEnv().OpenForReading(dir_.File("out"), &file_).ok());
    return *file_;
  }
  // A file holding text, checked as format and read from its start.
  OutgoingReader Checked(const std::string& text, OutgoingFormat format) {
    platform::InputFile& file = Open(text);
    const OutgoingFileShape shape = CheckOutgoingFile(file, format);
    EXPECT_TRUE(shape.well_formed);
    EXPECT_TRUE(file.Rewind().ok());
    return OutgoingReader(file, shape.text_length);
  }
  testing_support::TempDir dir_;
  std::unique_ptr<platform::InputFile> file_;
};

TEST_F(OutgoingFileTest, ReadsRecordsBackToBackAndStopsAtTrailingLineEnd) {
  OutgoingReader reader = Checked("0000000A000C0102030405FF00000001000F001105034142430C00\r\n", OutgoingFormat::kRecords);
  std::uint8_t record[kMaxRecordBytes];
  std::size_t size = 0;
  ASSERT_TRUE(reader.NextRecord(record, &size));
  EXPECT_EQ(std::vector<std::uint8_t>(record, record + size),
            (std::vector<std::uint8_t>{0, 0, 0, 0x0A, 0, 0x0C, 1, 2, 3, 4, 5, 0xFF}));
  ASSERT_TRUE(reader.NextRecord(record, &size));
  EXPECT_EQ(std::vector<std::uint8_t>(record, record + size),
            (std::vector<std::uint8_t>{0, 0, 0, 1, 0, 0x0F, 0, 0x11, 5, 3, 0x41, 0x42, 0x43, 0x0C, 0}));
  EXPECT_FALSE(reader.NextRecord(record, &size));
}

TEST_F(OutgoingFileTest, ReadsKeysAndReportsTheBadOffset) {
  OutgoingReader reader = Checked("00000012abcdef01", OutgoingFormat::kKeys);
  std::uint8_t key[kKeyBytes];
  ASSERT_TRUE(reader.NextKey(key));
  EXPECT_EQ(std::vector<std::uint8_t>(key, key + 4), (std::vector<std::uint8_t>{0, 0, 0, 0x12}));
  ASSERT_TRUE(reader.NextKey(key));
  EXPECT_EQ(std::vector<std::uint8_t>(key, key + 4), (std::vector<std::uint8_t>{0xAB, 0xCD, 0xEF, 0x01}));
  EXPECT_FALSE(reader.NextKey(key));

  const OutgoingFileShape shape = CheckOutgoingFile(Open("00000012\n0000"), OutgoingFormat::kKeys);
  EXPECT_FALSE(shape.well_formed);
  EXPECT_EQ(shape.bad_offset, 8);
}

TEST(AppendReplyTest, AppendsRepliesAsUpperCaseHexAndReportsAFullDisk) {
  testing_support::StringOutputFile file;
  const std::uint8_t first[] = {0x01, 0xAB};
  const std::uint8_t end[] = {0xE0};
  EXPECT_TRUE(AppendReply(file, first, sizeof first).ok());
  EXPECT_TRUE(AppendReply(file, end, sizeof end).ok());
  EXPECT_EQ(file.text(), "01ABE0");

  testing_support::TempDir dir;
  testing_support::FaultEnv env;
  env.SetSpaceLeft(3);
  std::unique_ptr<platform::OutputFile> full;
  ASSERT_TRUE(env.CreateForWriting(dir.File("in"), &full).ok());
  EXPECT_FALSE(AppendReply(*full, first, sizeof first).ok());
}

}  // namespace
}  // namespace transfer
