// The encodings a text file may arrive in, and the steps that bring its text
// to the PC's ANSI code page: recognising a byte-order mark, telling UTF-8
// without a mark from ANSI, decoding UTF-16 into UTF-8 as the file streams
// in, and encoding UTF-8 into the code page. The character U+FEFF (a
// byte-order mark) is dropped wherever it stands in decoded text: some
// spreadsheets repeat it inside a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_pages.h"

namespace converter {

enum class TextEncoding {
  kBytes,    // the PC's ANSI code page: bytes taken as they are
  kUtf8,
  kUtf16Le,  // little endian ("Unicode text")
  kUtf16Be,
};

// The longest byte-order mark.
constexpr std::size_t kMaxMarkLength = 3;

// The most bytes a UTF-8 character takes.
constexpr std::size_t kMaxUtf8Length = 4;

// The character a byte-order mark stands for.
constexpr std::uint32_t kByteOrderMark = 0xFEFF;

// The encoding that the byte-order mark at the start of head (size bytes)
// names, and the mark's length; without a mark, unmarked and 0.
TextEncoding EncodingOfMark(const char* head, std::size_t size, TextEncoding unmarked, std::size_t* mark_length);

// UTF-16 into UTF-8, piece by piece: a character cut between two pieces is
// completed by the next. A unit that is no character (a lone surrogate, an
// odd byte at the end) becomes U+FFFD; U+FEFF is dropped.
class Utf16Decoder {
 public:
  explicit Utf16Decoder(bool big_endian = false) : big_endian_(big_endian) {}

  // The most UTF-8 bytes Decode writes for size bytes of UTF-16.
  static constexpr std::size_t MaxOutput(std::size_t size) { return size / 2 * 3 + 8; }

  // Decodes size bytes into out (room for MaxOutput(size) bytes); returns
  // the number of bytes written.
  std::size_t Decode(const char* in, std::size_t size, char* out);
  // What is left at the end of the text: an odd byte or a lone first half
  // of a surrogate pair becomes U+FFFD. Returns the bytes written (at most 8).
  std::size_t Finish(char* out);

 private:
  std::size_t PutUnit(std::uint32_t unit, char* out);

  bool big_endian_;
  bool odd_byte_pending_ = false;
  unsigned char odd_byte_ = 0;
  std::uint32_t high_surrogate_ = 0;  // 0: none waiting
};

// Writes the UTF-8 bytes of a character (at most 4); returns their count.
std::size_t PutUtf8(std::uint32_t character, char* out);

// What an encoding into the code page had to give up; each replaced
// character became '?'.
struct EncodingLoss {
  bool missing_character = false;  // a character the code page does not have
  bool not_utf8 = false;           // bytes that are no UTF-8
};

// UTF-8 into a single-byte ANSI code page.
class AnsiEncoder {
 public:
  explicit AnsiEncoder(const platform::AnsiCodePage& code_page);

  int code_page() const { return code_page_; }

  // True if text holds only ASCII, which every code page keeps as it is.
  static bool IsAscii(std::string_view text);

  // True if the code page has the character (beyond ASCII).
  bool Has(std::uint32_t character) const;

  // Sets out to text in the code page, U+FEFF dropped; loss tells what
  // became '?'.
  void Encode(std::string_view text, std::string* out, EncodingLoss* loss) const;

 private:
  struct Entry {
    std::uint32_t character;
    unsigned char byte;
  };
  // The characters of the bytes 128 to 255, sorted by character.
  std::vector<Entry> entries_;
  int code_page_ = 0;
};

// Looks through the bytes of a text without a byte-order mark, piece by
// piece, for what decides whether it is UTF-8: whether every byte belongs to
// a UTF-8 character, whether some character lies beyond ASCII, and whether
// one of those is a character the code page has (U+FEFF counts as one: it is
// dropped, not lost).
class Utf8Survey {
 public:
  explicit Utf8Survey(const AnsiEncoder& code_page) : code_page_(code_page) {}

  // Looks at the next size bytes. False once a byte is known to be no UTF-8:
  // what follows need not be looked at.
  bool Look(const char* bytes, std::size_t size);
  // The end of the text: a character cut short there is no UTF-8.
  void Finish();

  bool utf8() const { return utf8_; }
  bool beyond_ascii() const { return beyond_ascii_; }
  bool kept_character() const { return kept_character_; }

 private:
  // Looks at the character beginning at text[*at] (moving past it); false
  // if it is no UTF-8, true and *cut if it runs past the end of text.
  bool LookAtCharacter(std::string_view text, std::size_t* at, bool* cut);

  const AnsiEncoder& code_page_;
  char pending_[kMaxUtf8Length] = {};  // the start of a character cut between two pieces
  std::size_t pending_size_ = 0;
  bool utf8_ = true;
  bool beyond_ascii_ = false;
  bool kept_character_ = false;
};

}  // namespace converter
