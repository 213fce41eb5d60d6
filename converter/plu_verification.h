// The comparison of a scale's PLU file, as a plain read of F85 brought it
// back, with the PLU file the converter wrote: every record the scale holds
// is looked at, every record sent is looked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace converter {

// How many PLUs that are missing or differ a verification line names; the
// rest are counted. The same for the PLUs the price list does not name.
constexpr std::size_t kShownPlus = 10;

// The records of the PLU file that was sent, by key (the PLU number's
// packed digits, record bytes 0-3). Of a key given twice the later record
// counts, as the scale keeps it.
class SentPlus {
 public:
  // Takes the PLU file's hex text; false if it holds something that is no
  // record.
  bool Take(std::string text);
  std::size_t size() const { return records_.size(); }
  // The index of the record of the key, or size() when none.
  std::size_t Find(std::uint32_t key) const;
  std::uint32_t KeyAt(std::size_t index) const { return records_[index].key; }
  std::string_view RecordAt(std::size_t index) const {
    return std::string_view(text_).substr(records_[index].at, records_[index].chars);
  }

 private:
  struct Record {
    std::uint32_t key;
    std::size_t at;
    std::size_t chars;
  };
  std::string text_;
  std::vector<Record> records_;  // by key
};

// The key a rejected line names by its PLU column (the text before the first
// separator, blanks and enclosing quotes aside), when that column is a
// number of 1 to 8 digits: the digits packed two a byte, as a record's key.
bool RejectedLineKey(std::string_view line, char separator, std::uint32_t* key);

// A PLU that is missing at the scale or held otherwise than sent.
struct PluProblem {
  std::uint32_t key = 0;
  std::string fields;  // the fields that differ; empty: missing
};

// What one read-back showed.
struct Verification {
  std::size_t sent = 0;     // PLUs sent
  std::size_t as_sent = 0;  // of them, held byte for byte as sent
  std::size_t problems = 0; // of them, missing or held otherwise
  std::vector<PluProblem> shown;       // the first kShownPlus problems by PLU number
  std::vector<std::uint32_t> others;   // keys held that the price list does not name, ascending
};

// Compares the read-back's hex text (records framed by their length, then an
// end reply) with the PLUs sent. named_keys (ascending) are the keys that
// rejected lines name: held ones are no others. False if the read-back is
// not whole: a record cut off, or no end reply.
bool CompareReadBack(const SentPlus& sent, const std::vector<std::uint32_t>& named_keys, std::string_view read_back,
                     Verification* verification);

// The verification in words, for the line "scale 001: " + it: "3 of 3 PLUs as
// sent", then "; PLU 5 missing", "; PLU 23 differs in price, name" for the
// first kShownPlus problems and "; and 4 more missing or different"; with
// name_others, "; 2 PLUs the price list does not name: 900, 901" (the
// first kShownPlus, then "and 3 more").
std::string VerificationText(const Verification& verification, bool name_others);

// The PLU number of a key as the price list writes it: "123" for 00000123.
std::string PluNumberText(std::uint32_t key);

}  // namespace converter
