// The comparison of a read-back with the PLU file sent: the fields named for
// a record held otherwise, the keys rejected lines name, and read-backs that
// are not whole.
#include "converter/plu_verification.h"

#include <gtest/gtest.h>

#include "converter/plu_record_fields.h"

namespace {

using converter::Verification;

// PLU 4567, counted, extra number 30, item code 98765, a name of two lines.
const std::string kRecord =
    "00004567003D15000D2001000003201105259876500000010030071843484F434F4C415445204241522057495448204E55545320"
    "0D0704313030470C00";
const char kEnd[] = "E200000000";

std::string Changed(std::string record, std::size_t at, char c) {
  return record.replace(at, 1, 1, c);
}

TEST(PluVerification, NamesTheFieldsThatDiffer) {
  const struct {
    std::string held;
    const char* fields;
  } cases[] = {
      {kRecord, ""},
      {Changed(kRecord, 12, '5'), "time print"},
      {Changed(kRecord, 13, '4'), "item kind"},
      {Changed(kRecord, 29, '1'), "price"},
      {Changed(kRecord, 31, '2'), "label format"},
      {Changed(kRecord, 33, '6'), "barcode type"},
      {Changed(kRecord, 35, '6'), "barcode prefix"},
      {Changed(kRecord, 40, '0'), "item code"},
      {Changed(kRecord, 51, '1'), "extra number"},
      {Changed(kRecord, 60, '5'), "name"},
      {Changed(Changed(kRecord, 29, '1'), 60, '5'), "price, name"},
      {kRecord.substr(0, 30), "label format, barcode type, barcode prefix, item code, extra number, name"},
  };
  for (const auto& c : cases) EXPECT_EQ(converter::DifferingPluFields(kRecord, c.held), c.fields) << c.held;
}

TEST(PluVerification, KeysOfRejectedLines) {
  const struct {
    const char* line;
    bool named;
    std::uint32_t key;
  } cases[] = {
      {"70;Old;abc", true, 0x70},     {" 12345678 ;x", true, 0x12345678}, {"\"9\";x", true, 0x9},
      {"123456789;x", false, 0},      {"a1;x;1", false, 0},               {";x;1", false, 0},
  };
  for (const auto& c : cases) {
    std::uint32_t key = 0;
    EXPECT_EQ(converter::RejectedLineKey(c.line, ';', &key), c.named) << c.line;
    if (c.named) {
      EXPECT_EQ(key, c.key) << c.line;
    }
  }
}

// The later record of a key given twice is the one the scale should hold;
// a read-back without its end reply, or with a record cut off, is not whole.
TEST(PluVerification, LaterRecordCountsAndReadBackMustBeWhole) {
  converter::SentPlus sent;
  ASSERT_TRUE(sent.Take(Changed(kRecord, 29, '1') + kRecord));
  ASSERT_EQ(sent.size(), 1u);
  Verification verification;
  EXPECT_TRUE(converter::CompareReadBack(sent, {}, kRecord + kEnd, &verification));
  EXPECT_EQ(converter::VerificationText(verification, true), "1 of 1 PLUs as sent");
  EXPECT_FALSE(converter::CompareReadBack(sent, {}, kRecord, &verification));
  EXPECT_FALSE(converter::CompareReadBack(sent, {}, kRecord.substr(0, 40) + kEnd, &verification));
}

}  // namespace
