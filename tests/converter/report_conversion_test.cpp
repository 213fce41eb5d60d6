// The report conversion on incoming files in a temporary directory: the
// layouts field by field, separators, the conversion time, how the records
// end, and the messages of each outcome.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "converter/report_conversion.h"
#include "support/fault_env.h"
#include "support/test_support.h"
#include "worked_transaction.h"

namespace {

using converter::ConversionResult;
using converter::ReportLayout;
using converter_tests::kEnd;
using converter_tests::kTransactLine;
using converter_tests::kTransactRecord;
using testing_support::Exists;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// 7 December 2026, 14:05:09 local time; the clock moves on by a minute at
// every reading.
const platform::LocalTime kAfternoon = testing_support::LocalTimeOf(2026, 12, 7, 14, 5, 9);

struct Outcome {
  ConversionResult result;
  bool fatal;
  std::string message;  // what the user is shown
  std::string report;   // "<missing>" if no report file
};

Outcome Convert(const std::string& incoming, ReportLayout layout, char separator = ';',
                const std::string& incoming_file = "qs001t30.dat",
                converter::ReportHeader header = converter::ReportHeader::kNone) {
  TempDir dir;
  if (incoming != "<missing>") WriteFile(dir.File(incoming_file), incoming);
  Outcome o;
  testing_support::ClockEnv env(kAfternoon, 1);
  converter::RecordsEnd end;
  auto status = converter::ConvertReport(env, dir.path(), "report.txt", {{}, "qs001t30.dat"}, separator, layout, header,
                                         &end);
  o.result = status.code();
  o.fatal = converter::IsFatal(status);
  o.message = status.message();
  o.report = ReadFile(dir.File("report.txt"));
  EXPECT_EQ(env.readings(), 1) << "one time per conversion";
  return o;
}

// A number of the given width, zero-padded.
std::string Digits(unsigned long long value, int width) {
  std::string s = std::to_string(value);
  return std::string(width - s.size(), '0') + s;
}

// The worked example: one transaction record of 29 bytes.

TEST(ReportConversion, TransactWorkedExample) {
  Outcome o = Convert(std::string(kTransactRecord) + kEnd, ReportLayout::kTransact);
  EXPECT_EQ(o.result, ConversionResult::kConverted);
  EXPECT_EQ(o.report, kTransactLine);
  EXPECT_EQ(o.message, "");
}

TEST(ReportConversion, MGTotalFields) {
  std::string record = "00000042" "00" "53" "07" "99";
  std::string expected = "42;7;";
  for (int i = 0; i < 18; ++i) {
    record += Digits(i * 1001, 8);
    expected += std::to_string(i * 1001) + ";";
  }
  record += "000123";
  expected += "000123\r\n";
  ASSERT_EQ(record.size(), 166u);
  Outcome o = Convert(record + record + kEnd, ReportLayout::kMGTotal);
  EXPECT_EQ(o.result, ConversionResult::kConverted);
  EXPECT_EQ(o.report, expected + expected);
}

TEST(ReportConversion, PLUTotalFields) {
  std::string record = "00001234" "00" "6D" "00000000012345" "99" "0012";
  std::string expected = "1234;00000000012345;12;";
  int widths[] = {8, 8, 4, 8, 8};
  for (int g = 0; g < 5; ++g) {
    for (int k = 0; k < 5; ++k) {
      int value = g * 100 + k * 7;
      record += Digits(value, widths[k]);
      expected += std::to_string(value) + ";";
    }
  }
  record += "0000A1";
  expected += "0000A1\r\n";
  ASSERT_EQ(record.size(), 218u);
  Outcome o = Convert(record + kEnd, ReportLayout::kPLUTotal);
  EXPECT_EQ(o.result, ConversionResult::kConverted);
  EXPECT_EQ(o.report, expected);
}

// An RTBuffer record of 728 characters: '7' everywhere the layout skips, so
// that a field read from the wrong place shows.
std::string RTBufferRecord(const std::string& key, const std::string& byte_field) {
  std::string r(728, '7');
  auto put = [&r](std::size_t at, const std::string& s) { r.replace(at, s.size(), s); };
  put(0, key);
  put(20, "00000020");
  put(36, "00000036");
  put(44, "00000000");
  put(52, "00000052");
  put(84, "00000084");
  put(160, "000160");
  put(200, "00000200");
  put(718, byte_field);
  put(720, "00000720");
  return r;
}

TEST(ReportConversion, RTBufferFieldsAndOneTimePerReport) {
  std::string text = RTBufferRecord("00000001", "FF") + RTBufferRecord("00000002", "0A") +
                     RTBufferRecord("00000003", "00") + kEnd;
  Outcome o = Convert(text, ReportLayout::kRTBuffer, ',');
  EXPECT_EQ(o.result, ConversionResult::kConverted);
  const char* tail = ",20,36,0,52,84,000160,200,";
  EXPECT_EQ(o.report, std::string("1") + tail + "255,00000720,07/12/2026 14:05:09\r\n" +  //
                          "2" + tail + "10,00000720,07/12/2026 14:05:09\r\n" +          //
                          "3" + tail + "0,00000720,07/12/2026 14:05:09\r\n");
}

TEST(ReportConversion, ConversionTimeFormat) {
  struct Case {
    platform::LocalTime moment;  // year, month, day, hour, minute, second
    const char* text;
  } cases[] = {
      {{2026, 12, 7, 14, 5, 9}, "07/12/2026 14:05:09"},
      {{2027, 1, 31, 0, 0, 0}, "31/01/2027 00:00:00"},
      {{2026, 6, 1, 23, 59, 58}, "01/06/2026 23:59:58"},
  };
  for (const Case& c : cases) EXPECT_EQ(converter::FormatConversionTime(c.moment), c.text);
}

// Only the Transact line ends with a separator; every separator of the run
// joins the fields.
TEST(ReportConversion, SeparatorsAndLineEnds) {
  std::string mg = std::string("00000001" "00" "53" "05" "00") + std::string(144, '0') + "000009";
  std::string plu = std::string("00000001" "00" "6D") + std::string(14, '1') + "00" + std::string(184, '0') + "000009";
  for (char sep : {'\t', ',', ';', '#', '.'}) {
    std::string s(1, sep);
    EXPECT_EQ(Convert(std::string(kTransactRecord) + kEnd, ReportLayout::kTransact, sep).report,
              "12" + s + "345" + s + "1000" + s + "0" + s + "1" + s + "12345" + s + "100" + s + "1405" + s + "\r\n");
    std::string mg_line = "1" + s + "5" + s;
    for (int i = 0; i < 18; ++i) mg_line += "0" + s;
    EXPECT_EQ(Convert(mg + kEnd, ReportLayout::kMGTotal, sep).report, mg_line + "000009\r\n");
    std::string plu_line = "1" + s + std::string(14, '1') + s;
    for (int i = 0; i < 26; ++i) plu_line += "0" + s;
    EXPECT_EQ(Convert(plu + kEnd, ReportLayout::kPLUTotal, sep).report, plu_line + "000009\r\n");
    std::string rt = Convert(RTBufferRecord("00000001", "01") + kEnd, ReportLayout::kRTBuffer, sep).report;
    EXPECT_EQ(rt.substr(rt.size() - 21), "07/12/2026 14:05:09\r\n");
    EXPECT_EQ(rt[rt.size() - 22], sep);
  }
}

TEST(ReportConversion, NumberTextAndByteFields) {
  struct Case {
    std::string number;  // the 8-character key of a Transact record
    std::string written;
  } cases[] = {
      {"00000000", "0"},        {"00012345", "12345"},    {"12345678", "12345678"},
      {"0000A123", "0000A123"},  // not all decimal digits: the characters unchanged
      {"0000001F", "0000001F"}, {"00 00001", "00 00001"},
  };
  for (const Case& c : cases) {
    std::string record = c.number + std::string(kTransactRecord).substr(8);
    EXPECT_EQ(Convert(record + kEnd, ReportLayout::kTransact).report, c.written + ";345;1000;0;1;12345;100;1405;\r\n")
        << c.number;
  }
  // Byte fields: hex digits give 0..255; anything else is written as it stands.
  struct ByteCase {
    const char* field;
    const char* written;
  } bytes[] = {{"FF", "255"}, {"0A", "10"}, {"00", "0"}, {"64", "100"}, {"G1", "G1"}};
  for (const ByteCase& c : bytes) {
    std::string rt = Convert(RTBufferRecord("00000001", c.field) + kEnd, ReportLayout::kRTBuffer).report;
    EXPECT_NE(rt.find(std::string(";200;") + c.written + ";00000720;"), std::string::npos) << c.field << " " << rt;
  }
}

TEST(ReportConversion, LengthByteCoveringMoreThanTheLayoutReads) {
  // 0x21 = 33 bytes: four bytes past what the layout reads, skipped.
  std::string longer = std::string(kTransactRecord).replace(10, 2, "21") + "99999999";
  Outcome o = Convert(longer + kTransactRecord + kEnd, ReportLayout::kTransact);
  EXPECT_EQ(o.result, ConversionResult::kConverted);
  EXPECT_EQ(o.report, std::string(kTransactLine) + kTransactLine);
}

TEST(ReportConversion, ShortFilesHoldNoData) {
  for (std::size_t size = 0; size < 10; ++size) {
    Outcome o = Convert(std::string(kTransactRecord).substr(0, size), ReportLayout::kTransact);
    EXPECT_EQ(o.result, ConversionResult::kNoData) << size;
    EXPECT_EQ(o.message, "No data for file: report.txt") << size;
    EXPECT_EQ(o.report, "<missing>") << size;
  }
}

// A record position beginning E0, E1 or E2 ends the data; nothing after it
// is read.
TEST(ReportConversion, EndReplies) {
  for (const char* end : {"E200000000", "E000000000", "E100000000", "E2000000001234"}) {
    Outcome o = Convert(end, ReportLayout::kTransact);
    EXPECT_EQ(o.result, ConversionResult::kConverted) << end;
    EXPECT_EQ(o.report, "") << end;
    EXPECT_EQ(o.message, "") << end;
    o = Convert(std::string(kTransactRecord) + end + "garbage", ReportLayout::kTransact);
    EXPECT_EQ(o.result, ConversionResult::kConverted) << end;
    EXPECT_EQ(o.report, kTransactLine) << end;
  }
}

// Data that ends without an end reply, inside a record, or turns corrupt:
// the whole records before are written, then the message.
TEST(ReportConversion, IncompleteData) {
  const std::string rec = kTransactRecord;
  const std::string line = kTransactLine;
  struct Case {
    std::string name;
    std::string text;
    int lines;
  } cases[] = {
      {"no end reply", rec + rec, 2},
      {"one character left", rec + "E", 1},
      {"ends inside a record", rec + rec.substr(0, 40), 1},
      {"ends before the length byte", rec + rec.substr(0, 11), 1},
      {"length runs past the end", rec.substr(0, 10) + "30" + rec.substr(12) + kEnd, 0},
      {"length byte 0", rec + rec.substr(0, 10) + "00" + rec.substr(12) + kEnd, 1},
      {"length byte not hex", rec + rec.substr(0, 10) + "1G" + rec.substr(12) + kEnd, 1},
      {"length byte blank", rec + rec.substr(0, 10) + " 1" + rec.substr(12) + kEnd, 1},
      // Read as it stands; the next record then starts inside it, where the
      // characters left before the end reply are too few for a record.
      {"length shorter than the layout", rec + rec.substr(0, 10) + "1C" + rec.substr(12) + kEnd, 2},
      {"three records, no end reply", rec + rec + rec, 3},
  };
  for (const Case& c : cases) {
    Outcome o = Convert(c.text, ReportLayout::kTransact);
    EXPECT_EQ(o.result, ConversionResult::kIncomplete) << c.name;
    EXPECT_EQ(o.message, "Incomplete data in file: qs001t30.dat") << c.name;
    std::string expected;
    for (int i = 0; i < c.lines; ++i) expected += line;
    EXPECT_EQ(o.report, expected) << c.name;
  }
  // An RTBuffer record cut short.
  Outcome o = Convert(RTBufferRecord("00000001", "01") + RTBufferRecord("00000002", "01").substr(0, 700),
                      ReportLayout::kRTBuffer);
  EXPECT_EQ(o.result, ConversionResult::kIncomplete);
  EXPECT_EQ(std::count(o.report.begin(), o.report.end(), '\n'), 1);
}

TEST(ReportConversion, MissingIncomingFileIsFatal) {
  Outcome o = Convert("<missing>", ReportLayout::kTransact);
  EXPECT_EQ(o.result, ConversionResult::kIncomingMissing);
  EXPECT_TRUE(o.fatal);
  EXPECT_EQ(o.message, "File length error\nFatal error");
  EXPECT_EQ(o.report, "<missing>");
}

TEST(ReportConversion, IncomingNameIgnoresCase) {
  Outcome o = Convert(std::string(kTransactRecord) + kEnd, ReportLayout::kTransact, ';', "QS001T30.DAT");
  EXPECT_EQ(o.result, ConversionResult::kConverted);
  EXPECT_EQ(o.report, kTransactLine);
}

TEST(ReportConversion, ReportFileThatCannotBeCreated) {
  TempDir dir;
  WriteFile(dir.File("qs001t30.dat"), std::string(kTransactRecord) + kEnd);
  converter::RecordsEnd end;
  auto status = converter::ConvertReport(platform::SystemEnv(), dir.path(), "no-such-folder/report.txt",
                                         {{}, "qs001t30.dat"}, ';', ReportLayout::kTransact, converter::ReportHeader::kNone,
                                         &end);
  EXPECT_EQ(status.code(), ConversionResult::kReportNotCreated);
  EXPECT_FALSE(converter::IsFatal(status));
  EXPECT_EQ(status.message(), "Could not open file.");
  EXPECT_EQ(ReadFile(dir.File("qs001t30.dat")), std::string(kTransactRecord) + kEnd) << "the incoming file stays";
}

TEST(ReportConversion, ReplacesAReportWhoseNameDiffersInCase) {
  TempDir dir;
  WriteFile(dir.File("qs001t30.dat"), std::string(kTransactRecord) + kEnd);
  WriteFile(dir.File("REPORT.TXT"), "old");
  converter::RecordsEnd end;
  ASSERT_TRUE(converter::ConvertReport(platform::SystemEnv(), dir.path(), "report.txt", {{}, "qs001t30.dat"}, ';',
                                       ReportLayout::kTransact, converter::ReportHeader::kNone, &end)
                  .ok());
  EXPECT_EQ(ReadFile(dir.File("REPORT.TXT")), kTransactLine);
  EXPECT_FALSE(Exists(dir.File("report.txt")));
}

// With Report Header the report begins with the names of its columns: as
// many as its lines have, in the same separator, ended by CR LF; a report
// without data gets no file and so no header.
TEST(ReportConversion, HeaderLineNamesTheColumns) {
  const auto kNames = converter::ReportHeader::kColumnNames;
  Outcome o = Convert(std::string(kTransactRecord) + kEnd, ReportLayout::kTransact, ';', "qs001t30.dat", kNames);
  EXPECT_EQ(o.report, std::string("Ticket;PLU;Grams;Pieces;Clerk;Amount;Date;Time;\r\n") + kTransactLine);
  EXPECT_EQ(converter::ReportHeaderLine(ReportLayout::kRTBuffer, '\t'),
            "Ticket\tPLU\tGrams\tPieces\tUnit price\tAmount\tDate\tGroup\tClerk\tTime\tConverted\r\n");

  for (ReportLayout layout :
       {ReportLayout::kMGTotal, ReportLayout::kPLUTotal, ReportLayout::kTransact, ReportLayout::kRTBuffer}) {
    // A record of zeros as long as the layout reads.
    const std::size_t reach = converter::LayoutOf(layout).reach;
    std::string record(reach, '0');
    char length[3];
    std::snprintf(length, sizeof length, "%02X", static_cast<unsigned>(reach / 2));
    record.replace(10, 2, length);
    for (char separator : {',', ';', '#', '.', '\t'}) {
      o = Convert(record + kEnd, layout, separator, "qs001t30.dat", kNames);
      ASSERT_EQ(o.result, ConversionResult::kConverted) << reach;
      std::size_t header_end = o.report.find("\r\n");
      ASSERT_NE(header_end, std::string::npos);
      std::string header = o.report.substr(0, header_end);
      std::string line = o.report.substr(header_end + 2);
      EXPECT_EQ(std::count(header.begin(), header.end(), separator), std::count(line.begin(), line.end(), separator))
          << header << " | " << line;
      for (char c : std::string(",;#.\t")) {
        if (c == separator) continue;
        EXPECT_EQ(header.find(c), std::string::npos) << "a name holds a separator: " << header;
      }
    }
  }
  EXPECT_EQ(Convert("E2", ReportLayout::kTransact, ';', "qs001t30.dat", kNames).report, "<missing>");
}

}  // namespace
