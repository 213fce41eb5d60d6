// The records a scale has cleared that no report written whole holds yet.
// A fetch clears what it reads at the scale; should the run end before its
// report is whole (killed, a power cut, a full disk), those records would
// be in a raw incoming file only. They are kept instead in a file beside the
// incoming file (its name + ".pending", one line each) until a report holds
// them, and the next report of that scale and file takes them first:
//
//   C <record>        cleared at the scale
//   U <record>        its key packet went unanswered: whether the scale
//                     cleared it, the scale's next fetch tells
//   R <size> <time>   the incoming file of that size and time of writing is
//                     in a report written whole
//   T <size> <time>   the records of the incoming file of that size and time
//                     are taken in here (C and U lines) and wait for a report
//
// So every record cleared at a scale reaches exactly one report written
// whole, or waits here, named, until one takes it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "converter/report_layouts.h"
#include "platform/env.h"

namespace converter {

class PendingRecords {
 public:
  // The records beside the incoming file at incoming_path, of that layout.
  PendingRecords(platform::Env& env, std::string incoming_path, ReportLayout layout);

  // Reads the file; none is fine.
  platform::SystemStatus Load();
  // Writes the file and waits until it is on the disk; removes it when
  // nothing is pending or noted.
  platform::SystemStatus Save();

  // True if the incoming file, as it is, is in a report written whole.
  bool Reported(const platform::FileIdentity& incoming) const;
  // True if the records of the incoming file, as it is, are taken in here.
  bool Taken(const platform::FileIdentity& incoming) const;
  // Takes in the records of the incoming file no report holds, whose text
  // is given: its whole records up to its end reply are cleared; the last
  // one of a file cut short (no end reply) is unsure where a fetch can
  // settle it (see settles_by_key), else cleared too.
  void TakeLeftover(const platform::FileIdentity& incoming, std::string_view text);
  // A fetch's incoming text settles the unsure records: one it hands out
  // again byte for byte was not cleared (the new fetch has it); one it
  // passed (a greater key came), or all if it reached its end reply, was.
  void Settle(std::string_view fetched);
  // A report holding the cleared records and the incoming file was written
  // whole: nothing cleared is pending any more, the incoming file is noted
  // as reported, and held_back (a record the report held back) is unsure.
  void ReportWritten(const platform::FileIdentity& incoming, const std::string& held_back);

  bool has_unsure() const { return !unsure_.empty(); }
  // True if each key stands for one record that a scale hands out once
  // (transactions): a record whose clearing went unanswered is then settled
  // by the next fetch. Totals add up under their key, so the next fetch's
  // record of it cannot tell whether the scale cleared the last one.
  bool settles_by_key() const { return layout_ == ReportLayout::kTransact; }
  // The cleared records, whole records of hex text.
  const std::string& cleared() const { return cleared_; }
  const std::string& path() const { return path_; }

 private:
  platform::Env& env_;
  std::string path_;
  ReportLayout layout_;
  std::string cleared_;
  std::vector<std::string> unsure_;
  std::string reported_;  // "<size> <time>" of the incoming file reported, or empty
  std::string taken_;     // "<size> <time>" of the incoming file taken in, or empty
};

// The identity of an incoming file as the pending file notes it.
std::string IdentityText(const platform::FileIdentity& identity);

}  // namespace converter
