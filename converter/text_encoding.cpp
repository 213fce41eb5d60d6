#include "converter/text_encoding.h"

#include <algorithm>
#include <cstring>

namespace converter {
namespace {

constexpr std::uint32_t kReplacementCharacter = 0xFFFD;
constexpr std::uint32_t kFirstHighSurrogate = 0xD800;
constexpr std::uint32_t kFirstLowSurrogate = 0xDC00;
constexpr std::uint32_t kLastLowSurrogate = 0xDFFF;
constexpr std::uint32_t kLastCharacter = 0x10FFFF;
constexpr char kMissing = '?';
constexpr int kFirstHighByte = 128;

bool IsHighSurrogate(std::uint32_t unit) { return unit >= kFirstHighSurrogate && unit < kFirstLowSurrogate; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= kFirstLowSurrogate && unit <= kLastLowSurrogate; }

// The length of the UTF-8 character that begins with lead; 0 if no
// character begins with it.
std::size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Reads one UTF-8 character at text[*at] and moves past it. False (and *at
// one byte on) for bytes that are no UTF-8: a stray continuation byte, a
// sequence cut short, an overlong form, a surrogate, or beyond U+10FFFF.
bool ReadUtf8(std::string_view text, std::size_t* at, std::uint32_t* character) {
  const unsigned char lead = static_cast<unsigned char>(text[*at]);
  const std::size_t length = Utf8Length(lead);
  std::uint32_t value;
  std::uint32_t smallest;
  if (length == 1) {
    *character = lead;
    ++*at;
    return true;
  } else if (length == 2) {
    value = lead & 0x1F, smallest = 0x80;
  } else if (length == 3) {
    value = lead & 0x0F, smallest = 0x800;
  } else if (length == 4) {
    value = lead & 0x07, smallest = 0x10000;
  } else {
    ++*at;
    return false;
  }
  if (text.size() - *at < length) {
    ++*at;
    return false;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[*at + i]);
    if ((next & 0xC0) != 0x80) {
      ++*at;
      return false;
    }
    value = value << 6 | (next & 0x3F);
  }
  if (value < smallest || value > kLastCharacter || (value >= kFirstHighSurrogate && value <= kLastLowSurrogate)) {
    ++*at;
    return false;
  }
  *character = value;
  *at += length;
  return true;
}

// True if the kAsciiBlock bytes at bytes are all ASCII.
constexpr std::size_t kAsciiBlock = 32;
bool IsAsciiBlock(const char* bytes) {
  std::uint64_t words[kAsciiBlock / sizeof(std::uint64_t)];
  std::memcpy(words, bytes, sizeof words);
  std::uint64_t any = 0;
  for (std::uint64_t word : words) any |= word;
  return (any & 0x8080808080808080ULL) == 0;
}

}  // namespace

TextEncoding EncodingOfMark(const char* head, std::size_t size, TextEncoding unmarked, std::size_t* mark_length) {
  auto starts_with = [head, size](std::string_view mark) {
    return size >= mark.size() && std::string_view(head, mark.size()) == mark;
  };
  if (starts_with("\xEF\xBB\xBF")) {
    *mark_length = 3;
    return TextEncoding::kUtf8;
  }
  if (starts_with("\xFF\xFE")) {
    *mark_length = 2;
    return TextEncoding::kUtf16Le;
  }
  if (starts_with("\xFE\xFF")) {
    *mark_length = 2;
    return TextEncoding::kUtf16Be;
  }
  *mark_length = 0;
  return unmarked;
}

std::size_t PutUtf8(std::uint32_t character, char* out) {
  auto byte = [](std::uint32_t value) { return static_cast<char>(static_cast<unsigned char>(value)); };
  if (character < 0x80) {
    out[0] = byte(character);
    return 1;
  }
  if (character < 0x800) {
    out[0] = byte(0xC0 | character >> 6);
    out[1] = byte(0x80 | (character & 0x3F));
    return 2;
  }
  if (character < 0x10000) {
    out[0] = byte(0xE0 | character >> 12);
    out[1] = byte(0x80 | (character >> 6 & 0x3F));
    out[2] = byte(0x80 | (character & 0x3F));
    return 3;
  }
  out[0] = byte(0xF0 | character >> 18);
  out[1] = byte(0x80 | (character >> 12 & 0x3F));
  out[2] = byte(0x80 | (character >> 6 & 0x3F));
  out[3] = byte(0x80 | (character & 0x3F));
  return 4;
}

std::size_t Utf16Decoder::PutUnit(std::uint32_t unit, char* out) {
  std::size_t n = 0;
  if (high_surrogate_ != 0) {
    if (IsLowSurrogate(unit)) {
      std::uint32_t character = 0x10000 + ((high_surrogate_ - kFirstHighSurrogate) << 10) + (unit - kFirstLowSurrogate);
      high_surrogate_ = 0;
      return PutUtf8(character, out);
    }
    high_surrogate_ = 0;
    n += PutUtf8(kReplacementCharacter, out);
  }
  if (IsHighSurrogate(unit)) {
    high_surrogate_ = unit;
    return n;
  }
  if (unit == kByteOrderMark) return n;
  return n + PutUtf8(IsLowSurrogate(unit) ? kReplacementCharacter : unit, out + n);
}

std::size_t Utf16Decoder::Decode(const char* in, std::size_t size, char* out) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(in);
  std::size_t n = 0;
  std::size_t i = 0;
  auto unit_of = [this](unsigned first, unsigned second) {
    return big_endian_ ? (first << 8 | second) : (second << 8 | first);
  };
  if (odd_byte_pending_ && size > 0) {
    odd_byte_pending_ = false;
    n += PutUnit(unit_of(odd_byte_, bytes[0]), out + n);
    i = 1;
  }
  for (; i + 1 < size; i += 2) {
    const std::uint32_t unit = unit_of(bytes[i], bytes[i + 1]);
    // Most text is ASCII: one byte out, nothing waiting.
    if (unit < 0x80 && high_surrogate_ == 0) {
      out[n++] = static_cast<char>(unit);
    } else {
      n += PutUnit(unit, out + n);
    }
  }
  if (i < size) {
    odd_byte_pending_ = true;
    odd_byte_ = bytes[i];
  }
  return n;
}

std::size_t Utf16Decoder::Finish(char* out) {
  std::size_t n = 0;
  if (high_surrogate_ != 0) {
    high_surrogate_ = 0;
    n += PutUtf8(kReplacementCharacter, out);
  }
  if (odd_byte_pending_) {
    odd_byte_pending_ = false;
    n += PutUtf8(kReplacementCharacter, out + n);
  }
  return n;
}

AnsiEncoder::AnsiEncoder(const platform::AnsiCodePage& code_page) : code_page_(code_page.number) {
  for (int b = kFirstHighByte; b < 256; ++b) {
    std::uint32_t character = code_page.characters[b];
    if (character == platform::kNoCharacter) continue;
    entries_.push_back({character, static_cast<unsigned char>(b)});
  }
  // Where two bytes stand for one character, the lower byte serves.
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const Entry& a, const Entry& b) { return a.character < b.character; });
}

bool AnsiEncoder::IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= kFirstHighByte) return false;
  }
  return true;
}

bool AnsiEncoder::Has(std::uint32_t character) const {
  auto found = std::lower_bound(entries_.begin(), entries_.end(), character,
                                [](const Entry& entry, std::uint32_t c) { return entry.character < c; });
  return found != entries_.end() && found->character == character;
}

void AnsiEncoder::Encode(std::string_view text, std::string* out, EncodingLoss* loss) const {
  out->clear();
  std::size_t at = 0;
  while (at < text.size()) {
    std::uint32_t character;
    if (!ReadUtf8(text, &at, &character)) {
      loss->not_utf8 = true;
      *out += kMissing;
      continue;
    }
    if (character < kFirstHighByte) {
      *out += static_cast<char>(character);
      continue;
    }
    if (character == kByteOrderMark) continue;
    auto found = std::lower_bound(entries_.begin(), entries_.end(), character,
                                  [](const Entry& entry, std::uint32_t c) { return entry.character < c; });
    if (found != entries_.end() && found->character == character) {
      *out += static_cast<char>(found->byte);
    } else {
      loss->missing_character = true;
      *out += kMissing;
    }
  }
}

bool Utf8Survey::LookAtCharacter(std::string_view text, std::size_t* at, bool* cut) {
  const std::size_t length = Utf8Length(static_cast<unsigned char>(text[*at]));
  if (length == 0) return false;
  if (text.size() - *at < length) {
    *cut = true;
    return true;
  }
  std::uint32_t character;
  if (!ReadUtf8(text, at, &character)) return false;
  beyond_ascii_ = true;
  if (!kept_character_) kept_character_ = character == kByteOrderMark || code_page_.Has(character);
  return true;
}

bool Utf8Survey::Look(const char* bytes, std::size_t size) {
  if (!utf8_) return false;
  std::size_t at = 0;
  if (pending_size_ > 0) {
    // A character cut at the end of the last piece is completed first.
    const std::size_t length = Utf8Length(static_cast<unsigned char>(pending_[0]));
    at = std::min(length - pending_size_, size);
    std::memcpy(pending_ + pending_size_, bytes, at);
    pending_size_ += at;
    if (pending_size_ < length) return true;
    std::size_t in_pending = 0;
    bool cut = false;
    if (!LookAtCharacter(std::string_view(pending_, pending_size_), &in_pending, &cut)) return utf8_ = false;
    pending_size_ = 0;
  }
  const std::string_view text(bytes, size);
  while (at < size) {
    // Most text is ASCII: a block of it at a time.
    if (size - at >= kAsciiBlock && IsAsciiBlock(bytes + at)) {
      at += kAsciiBlock;
      continue;
    }
    if (static_cast<unsigned char>(bytes[at]) < kFirstHighByte) {
      ++at;
      continue;
    }
    bool cut = false;
    const std::size_t start = at;
    if (!LookAtCharacter(text, &at, &cut)) return utf8_ = false;
    if (cut) {
      pending_size_ = size - start;
      std::memcpy(pending_, bytes + start, pending_size_);
      break;
    }
  }
  return true;
}

void Utf8Survey::Finish() {
  if (pending_size_ > 0) utf8_ = false;
  pending_size_ = 0;
}

}  // namespace converter
