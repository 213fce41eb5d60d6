#include "converter/report_conversion.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/decimal_text.h"
#include "common/hex_text.h"

namespace converter {
namespace {

// The ending of the report's name while it is being written.
const char kPartEnding[] = ".part";

// Copies a field of a few characters; shorter than a call of memcpy.
std::size_t PutCharacters(const char* field, std::size_t width, char* out) {
  for (std::size_t i = 0; i < width; ++i) out[i] = field[i];
  return width;
}

// Appends a number field: its digits without leading zeros ("0" for all
// zeros). A field that is not all decimal digits is written unchanged.
std::size_t PutNumber(const char* field, std::size_t width, char* out) {
  for (std::size_t i = 0; i < width; ++i) {
    if (!base::IsDecimalDigit(field[i])) return PutCharacters(field, width, out);
  }
  std::size_t first = 0;
  while (first + 1 < width && field[first] == '0') ++first;
  return PutCharacters(field + first, width - first, out);
}

// Appends a byte field: the value of its two hex digits in decimal. Two
// characters that are not hex digits are written unchanged.
std::size_t PutByte(const char* field, char* out) {
  if (!common::IsHexDigit(field[0]) || !common::IsHexDigit(field[1])) {
    out[0] = field[0];
    out[1] = field[1];
    return 2;
  }
  unsigned value = common::HexByte(field[0], field[1]);
  std::size_t n = 0;
  if (value >= 100) out[n++] = static_cast<char>('0' + value / 100);
  if (value >= 10) out[n++] = static_cast<char>('0' + value / 10 % 10);
  out[n++] = static_cast<char>('0' + value % 10);
  return n;
}

// The step in characters from the record at text (left characters remain)
// to the next one, or 0 if the data is corrupt or cut off here: the length
// byte is 0 or not two hex digits, or the record or the characters the
// layout reads run past the end of the text. A length shorter than the
// layout reads is taken as it stands: the fields are read where they are and
// the next record starts where the length says.
std::size_t RecordLength(const char* text, std::size_t left, const LayoutTable& table) {
  std::size_t length = table.fixed_length;
  if (table.length_from_record) {
    if (left < kLengthBytePosition + 2) return 0;
    char high = text[kLengthBytePosition];
    char low = text[kLengthBytePosition + 1];
    if (!common::IsHexDigit(high) || !common::IsHexDigit(low)) return 0;
    length = 2 * static_cast<std::size_t>(common::HexByte(high, low));
  }
  if (length == 0 || length > left || table.reach > left) return 0;
  return length;
}

// What begins at position: the end reply (a record position beginning
// "E0", "E1" or "E2"), no whole record (false, *end kIncomplete), or a
// record of *length characters (true).
bool RecordAt(const char* text, std::size_t size, std::size_t position, const LayoutTable& table,
              std::size_t* length, RecordsEnd* end) {
  const std::size_t left = size - position;
  *end = RecordsEnd::kIncomplete;
  if (left < 2) return false;
  const char* record = text + position;
  if (record[0] == 'E' && (record[1] == '0' || record[1] == '1' || record[1] == '2')) {
    *end = RecordsEnd::kEndReply;
    return false;
  }
  *length = RecordLength(record, left, table);
  return *length != 0;
}

}  // namespace

RecordsEnd MeasureRecords(const char* text, std::size_t size, ReportLayout layout, std::size_t* whole,
                          std::size_t* last_start) {
  const LayoutTable& table = LayoutOf(layout);
  std::size_t position = 0, length = 0;
  *last_start = 0;
  RecordsEnd end;
  while (RecordAt(text, size, position, table, &length, &end)) {
    *last_start = position;
    position += length;
  }
  *whole = position;
  if (position == 0) *last_start = 0;
  return end;
}

std::vector<std::string_view> SplitRecords(std::string_view text, ReportLayout layout, RecordsEnd* end) {
  const LayoutTable& table = LayoutOf(layout);
  std::vector<std::string_view> records;
  std::size_t position = 0, length = 0;
  while (RecordAt(text.data(), text.size(), position, table, &length, end)) {
    records.push_back(text.substr(position, length));
    position += length;
  }
  return records;
}

// Every step moves the position forward by a whole record (at least two
// characters), and no character at or past size is read.
RecordsEnd WriteReportLines(const char* text, std::size_t size, char separator, ReportLayout layout,
                            const char* time_text, platform::OutputFile& out, std::size_t records_end) {
  const LayoutTable& table = LayoutOf(layout);
  char line[kMaxReportLine];
  bool writing = true;
  std::size_t position = 0, length = 0;
  for (;;) {
    RecordsEnd end;
    if (position >= records_end) return RecordsEnd::kIncomplete;
    if (!RecordAt(text, size, position, table, &length, &end)) return end;
    const char* record = text + position;

    std::size_t n = 0;
    for (std::size_t i = 0; i < table.field_count; ++i) {
      const ReportField& field = table.fields[i];
      const char* characters = record + field.position;
      switch (field.kind) {
        case FieldKind::kNumber:
          n += PutNumber(characters, field.width, line + n);
          break;
        case FieldKind::kText:
          n += PutCharacters(characters, field.width, line + n);
          break;
        case FieldKind::kByte:
          n += PutByte(characters, line + n);
          break;
        case FieldKind::kTime:
          std::memcpy(line + n, time_text, kConversionTimeLength);
          n += kConversionTimeLength;
          break;
      }
      if (i + 1 < table.field_count || table.separator_after_last) line[n++] = separator;
    }
    line[n++] = '\r';
    line[n++] = '\n';
    if (writing) writing = out.Write(line, n).ok();
    position += length;
  }
}

namespace {

ConversionStatus Result(ConversionResult result, std::string message, const platform::SystemStatus& reason) {
  return reason.As(result, std::move(message));
}

}  // namespace

bool IsFatal(const ConversionStatus& status) {
  return status.code() == ConversionResult::kIncomingMissing || status.code() == ConversionResult::kIncomingUnreadable;
}

ConversionStatus IncomingMissing() {
  return ConversionStatus::Error(ConversionResult::kIncomingMissing, "File length error\nFatal error");
}

std::string IncompleteDataMessage(const std::string& incoming_name) {
  return "Incomplete data in file: " + incoming_name;
}

std::string FormatConversionTime(const platform::LocalTime& moment) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", moment.day, moment.month, moment.year,
                moment.hour, moment.minute, moment.second);
  std::string result = text;
  result.resize(kConversionTimeLength, ' ');
  return result;
}

std::string ReportHeaderLine(ReportLayout layout, char separator) {
  const LayoutTable& table = LayoutOf(layout);
  std::string line;
  for (std::size_t i = 0; i < table.field_count; ++i) {
    line += table.fields[i].name;
    if (i + 1 < table.field_count || table.separator_after_last) line += separator;
  }
  return line + "\r\n";
}

ConversionStatus ConvertReport(platform::Env& env, const std::string& working_directory,
                               const std::string& report_name, const ReportInput& input, char separator,
                               ReportLayout layout, ReportHeader header, RecordsEnd* end, std::string* held_back) {
  *end = RecordsEnd::kEndReply;
  if (held_back != nullptr) held_back->clear();
  const std::string time_text = FormatConversionTime(env.LocalNow());

  // The incoming file, if there is one to convert.
  bool incoming_there = false;
  platform::FileInfo incoming_info;
  const std::string incoming_path = platform::JoinPath(working_directory, input.incoming_name);
  if (!input.incoming_name.empty()) {
    incoming_info = env.Stat(incoming_path);
    incoming_there = incoming_info.exists && !incoming_info.folder;
    if (!incoming_there && input.earlier.empty()) {
      return IncomingMissing().WithCause(input.incoming_name + " is not in the working folder");
    }
  }
  const bool incoming_data = incoming_there && incoming_info.size >= kMinIncomingSize;
  if (input.earlier.empty() && !incoming_data) {
    return ConversionStatus::Error(ConversionResult::kNoData, "No data for file: " + report_name);
  }

  platform::MappedFile incoming;
  if (incoming_data) {
    if (platform::SystemStatus mapped = env.Map(incoming_path, &incoming); !mapped.ok()) {
      return Result(ConversionResult::kIncomingUnreadable, "File error", mapped)
          .WithCause("cannot read " + input.incoming_name + ": " + mapped.message());
    }
  }
  // The incoming records to convert: those up to its end reply, or of a file
  // cut short the whole ones, but for the last one when it is held back.
  std::size_t convert_size = 0;
  if (incoming_data) {
    std::size_t whole = 0, last_start = 0;
    *end = MeasureRecords(incoming.data, incoming.size, layout, &whole, &last_start);
    convert_size = whole;
    if (input.hold_back_last && *end == RecordsEnd::kIncomplete && whole > 0) {
      if (held_back != nullptr) held_back->assign(incoming.data + last_start, whole - last_start);
      convert_size = last_start;
    }
  }

  // The report is written under a name of its own and takes its name only
  // once it is whole and on the disk, so that a reader never finds half a
  // report under it.
  const std::string report_path = env.ResolveName(platform::JoinPath(working_directory, report_name));
  const std::string part_path = report_path + kPartEnding;
  std::unique_ptr<platform::OutputFile> report;
  // A folder of the report's name cannot be replaced.
  platform::SystemStatus created = env.Stat(report_path).folder
                                       ? platform::Failure("a folder has that name")
                                       : env.CreateForWriting(part_path, &report);
  if (!created.ok()) {
    env.Unmap(&incoming);
    return Result(ConversionResult::kReportNotCreated, "Could not open file.", created)
        .WithCause("cannot create " + report_name + ": " + created.message());
  }
  if (header == ReportHeader::kColumnNames) {
    const std::string line = ReportHeaderLine(layout, separator);
    (void)report->Write(line.data(), line.size());
  }
  (void)WriteReportLines(input.earlier.data(), input.earlier.size(), separator, layout, time_text.c_str(), *report);
  if (incoming_data) {
    (void)WriteReportLines(incoming.data, incoming.size, separator, layout, time_text.c_str(), *report,
                           convert_size);
  }
  env.Unmap(&incoming);
  platform::SystemStatus written = report->Sync();
  if (platform::SystemStatus closed = report->Close(); written.ok()) written = closed;
  if (written.ok()) written = env.Rename(part_path, report_path);
  if (!written.ok()) {
    (void)env.Remove(part_path);
    return Result(ConversionResult::kReportNotWritten, "Could not write file.", written)
        .WithCause("cannot write " + report_name + ": " + written.message());
  }
  if (*end == RecordsEnd::kIncomplete) {
    return ConversionStatus::Error(ConversionResult::kIncomplete, IncompleteDataMessage(input.incoming_name));
  }
  return ConversionStatus::Ok();
}

}  // namespace converter
