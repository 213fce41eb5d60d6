// Turning one incoming file (a scale's replies as hex text) into a report
// file: one line per record, the fields of the record's layout decoded and
// joined by the field separator, each line ended by CR LF.
#pragma once

#include <cstddef>
#include <string>

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

// The heart of the conversion, on text in memory: writes one line per whole
// record of text[0, size) to out, up to the end reply or the first record
// that is not whole. time_text is the conversion time (RTBuffer lines). A
// write that fails is kept by the file, and the records are still followed
// to their end.
RecordsEnd WriteReportLines(const char* text, std::size_t size, char separator, ReportLayout layout,
                            const char* time_text, platform::OutputFile& out);

// Whether a report file begins with a line that names its columns (the
// setting Report Header).
enum class ReportHeader { kNone, kColumnNames };

// The header line of a layout: the names of its columns joined by the
// separator (one after the last column too where the layout's lines have
// it), ended by CR LF.
std::string ReportHeaderLine(ReportLayout layout, char separator);

// Converts the incoming file working_directory/incoming_name into the report
// file working_directory/report_name (created, replacing one of that name
// ignoring letter case), beginning with the header line when header is
// kColumnNames (a report that gets no file gets no header either). The
// incoming file is read through one read-only mapping, never past its end;
// it stays on disk. The report is written under its name + ".part" and takes
// its name only once it is whole. *end tells how the records ended, whatever
// became of the report file (kIncomplete then comes only from a report
// written whole).
ConversionStatus ConvertReport(platform::Env& env, const std::string& working_directory,
                               const std::string& report_name, const std::string& incoming_name, char separator,
                               ReportLayout layout, ReportHeader header, RecordsEnd* end);

}  // namespace converter
