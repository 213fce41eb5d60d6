// Turning one incoming file (a scale's replies as hex text) into a report
// file: one line per record, the fields of the record's layout decoded and
// joined by the field separator, each line ended by CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "converter/report_layouts.h"
#include "platform/env.h"

namespace converter {

// What became of one conversion: the code of ConvertReport's status, whose
// message is the text the user is shown. The last two end the run.
enum class ConversionResult {
  kConverted = 0,       // every record up to the end reply is in the report file
  kNoData,              // "No data for file: " + report name: under 10 bytes, no report file
  kReportNotCreated,    // "Could not open file.": no report file
  kReportNotWritten,    // "Could not write file.": no report file
  kIncomplete,          // "Incomplete data in file: " + incoming name: the complete records are written
  kIncomingMissing,     // "File length error\nFatal error": missing or its size unreadable
  kIncomingUnreadable,  // "File error": it could not be mapped
};

using ConversionStatus = base::Status<ConversionResult>;

// True for the results that end the run at once.
bool IsFatal(const ConversionStatus& status);

// The status of a missing incoming file ("File length error", "Fatal
// error"); the retrieval mode gives it for a stale one too.
ConversionStatus IncomingMissing();

// The line that tells that the records of an incoming file ended before an
// end reply: "Incomplete data in file: " + its name.
std::string IncompleteDataMessage(const std::string& incoming_name);

// An incoming file shorter than this holds no data.
constexpr std::size_t kMinIncomingSize = 10;

// The conversion time as report lines carry it: "dd/mm/yyyy hh:nn:ss" in
// local time, slashes whatever the system's date settings.
std::string FormatConversionTime(const platform::LocalTime& moment);

// How the records of an incoming text ended: at an end reply (a record
// position beginning "E0", "E1" or "E2"), or before a whole record: the
// text ran out, or a length byte was not two hex digits or shorter than the
// layout reads (0 among them).
enum class RecordsEnd { kEndReply, kIncomplete };

// Measures the records of an incoming text: the characters of its whole
// records up to an end reply or the first record that is not whole
// (*whole), where the last whole one begins (*last_start), and how the
// records ended.
RecordsEnd MeasureRecords(const char* text, std::size_t size, ReportLayout layout, std::size_t* whole,
                          std::size_t* last_start);

// The whole records of a text, in order, up to an end reply or the first
// record that is not whole; *end tells which.
std::vector<std::string_view> SplitRecords(std::string_view text, ReportLayout layout, RecordsEnd* end);

// The heart of the conversion, on text in memory: writes one line per whole
// record of text[0, size) to out, up to the end reply or the first record
// that is not whole, or the record that begins at records_end or after. A
// record's fields are read where they lie in text, past records_end too.
// time_text is the conversion time (RTBuffer lines). A write that fails is
// kept by the file, and the records are still followed to their end.
RecordsEnd WriteReportLines(const char* text, std::size_t size, char separator, ReportLayout layout,
                            const char* time_text, platform::OutputFile& out,
                            std::size_t records_end = static_cast<std::size_t>(-1));

// Whether a report file begins with a line that names its columns (the
// setting Report Header).
enum class ReportHeader { kNone, kColumnNames };

// The header line of a layout: the names of its columns joined by the
// separator (one after the last column too where the layout's lines have
// it), ended by CR LF.
std::string ReportHeaderLine(ReportLayout layout, char separator);

// What a report is made of.
struct ReportInput {
  // Records of earlier fetches that no report written whole holds yet:
  // whole records of hex text. They come first.
  std::string_view earlier;
  // The incoming file in the working folder; empty: none, only the earlier
  // records are converted.
  std::string incoming_name;
  // The last whole record of an incoming file cut short (no end reply) is
  // held back: whether its key packet cleared it is not known.
  bool hold_back_last = false;
};

// Converts the earlier records and the incoming file working_directory/
// input.incoming_name into the report file working_directory/report_name
// (created, replacing one of that name ignoring letter case), beginning with
// the header line when header is kColumnNames (a report that gets no file
// gets no header either). The incoming file is read through one read-only
// mapping, never past its end; it stays on disk. The report is written under
// its name + ".part", synced, and takes its name only once it is whole. *end
// tells how the incoming records ended, whatever became of the report file
// (kIncomplete then comes only from a report written whole); *held_back gets
// the record held back. No data: neither earlier records nor an incoming
// file of kMinIncomingSize bytes or more.
ConversionStatus ConvertReport(platform::Env& env, const std::string& working_directory,
                               const std::string& report_name, const ReportInput& input, char separator,
                               ReportLayout layout, ReportHeader header, RecordsEnd* end,
                               std::string* held_back = nullptr);

}  // namespace converter
