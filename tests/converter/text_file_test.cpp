// Text files as they arrive: byte-order marks, UTF-16 decoded however the
// reads cut it, UTF-8 brought to the PC's code page, and the line ends.
#include "converter/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "converter/text_encoding.h"
#include "platform/code_pages.h"
#include "support/test_support.h"

namespace {

using converter::TextEncoding;
using testing_support::TempDir;

std::string Bytes(std::u16string_view text, bool big_endian) {
  std::string bytes;
  for (char16_t unit : text) {
    char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

// Decodes UTF-16 handed over in pieces of the given size.
std::string Decode(const std::string& bytes, bool big_endian, std::size_t piece) {
  converter::Utf16Decoder decoder(big_endian);
  std::string out;
  char buffer[converter::Utf16Decoder::MaxOutput(8)];
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    std::string part = bytes.substr(at, piece);
    out.append(buffer, decoder.Decode(part.data(), part.size(), buffer));
  }
  out.append(buffer, decoder.Finish(buffer));
  return out;
}

TEST(TextEncoding, ByteOrderMarks) {
  struct Case {
    std::string head;
    TextEncoding unmarked, encoding;
    std::size_t mark_length;
  } cases[] = {
      {"\xEF\xBB\xBF" "1;", TextEncoding::kBytes, TextEncoding::kUtf8, 3},
      {"\xFF\xFE" "1", TextEncoding::kBytes, TextEncoding::kUtf16Le, 2},
      {"\xFE\xFF", TextEncoding::kUtf8, TextEncoding::kUtf16Be, 2},
      {"\xEF\xBB", TextEncoding::kBytes, TextEncoding::kBytes, 0},
      {"1;A", TextEncoding::kUtf8, TextEncoding::kUtf8, 0},
      {"", TextEncoding::kBytes, TextEncoding::kBytes, 0},
  };
  for (const Case& c : cases) {
    std::size_t length = 99;
    EXPECT_EQ(converter::EncodingOfMark(c.head.data(), c.head.size(), c.unmarked, &length), c.encoding) << c.head;
    EXPECT_EQ(length, c.mark_length) << c.head;
  }
}

TEST(TextEncoding, Utf16HoweverItIsCut) {
  const std::u16string text = u"Caf\u00E9 \U0001F600 \u041A\u001A;\r\n";
  const std::string utf8 = "Caf\xC3\xA9 \xF0\x9F\x98\x80 \xD0\x9A\x1A;\r\n";
  for (bool big_endian : {false, true}) {
    for (std::size_t piece : {1, 2, 3, 5, 8}) {
      EXPECT_EQ(Decode(Bytes(text, big_endian), big_endian, piece), utf8) << big_endian << ' ' << piece;
    }
  }
  // Units that are no character: a lone half of a pair, an odd last byte.
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(Decode(Bytes(u"\xD83D" u"A\xDE00", false), false, 3), replacement + "A" + replacement);
  EXPECT_EQ(Decode(Bytes(u"A\xD83D", false), false, 1), "A" + replacement);
  EXPECT_EQ(Decode(std::string("A\0B", 3), false, 2), "A" + replacement);
  // Byte-order marks inside the text are dropped, however the reads cut them.
  for (std::size_t piece : {1, 3}) {
    EXPECT_EQ(Decode(Bytes(u"\uFEFF1;\uFEFFA\uFEFF", false), false, piece), "1;A") << piece;
  }
}

// The ANSI code page that VELKOCON_CODEPAGES names.
platform::AnsiCodePage CodePage(const char* pair) {
  setenv("VELKOCON_CODEPAGES", pair, 1);
  platform::AnsiCodePage code_page;
  {
    auto status = platform::ReadAnsiCodePage(&code_page);
    EXPECT_TRUE(status.ok()) << status.message();
  }
  unsetenv("VELKOCON_CODEPAGES");
  return code_page;
}

TEST(TextEncoding, Utf8IntoTheAnsiCodePage) {
  const converter::AnsiEncoder central(CodePage("1250:852"));
  EXPECT_EQ(central.code_page(), 1250);
  struct Case {
    const char* utf8;
    const char* ansi;
    bool missing, not_utf8;
  } cases[] = {
      {"\xC5\xBD" "lu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88, \xC5\x81\xC3\xB3" "d\xC5\xBA",
       "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2, \xA3\xF3" "d\x9F", false, false},
      {"Matcha \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80", "Matcha ?? ?", true, false},
      {"a\xC3(b", "a?(b", false, true},        // a lead byte without its follower
      {"\xED\xA0\x80", "???", false, true},     // a surrogate written as UTF-8
      {"\xC0\xAF", "??", false, true},          // an overlong '/'
      {"\xF4\x90\x80\x80", "????", false, true},  // beyond U+10FFFF
      {"x\xE2\x82", "x??", false, true},         // cut short at the end
      {"\xEF\xBB\xBF" "1;\xEF\xBB\xBF" "A", "1;A", false, false},  // byte-order marks dropped
  };
  for (const Case& c : cases) {
    std::string out;
    converter::EncodingLoss loss;
    central.Encode(c.utf8, &out, &loss);
    EXPECT_EQ(out, c.ansi) << c.utf8;
    EXPECT_EQ(loss.missing_character, c.missing) << c.utf8;
    EXPECT_EQ(loss.not_utf8, c.not_utf8) << c.utf8;
  }
  const converter::AnsiEncoder cyrillic(CodePage("1251:866"));
  std::string out;
  converter::EncodingLoss loss;
  cyrillic.Encode("\xD0\x81\xD0\xB6 \xD0\x86", &out, &loss);  // Ёж І
  EXPECT_EQ(out, "\xA8\xE6 \xB2");
}

// What tells UTF-8 without a mark from ANSI, however the text is cut into
// pieces.
TEST(TextEncoding, Utf8Survey) {
  const converter::AnsiEncoder western(CodePage("1252:850"));
  struct Case {
    std::string text;
    bool utf8, beyond_ascii, kept;
  } cases[] = {
      {"1;Apples;1.00\r\n", true, false, false},
      {"1;Caf\xC3\xA9;1.00", true, true, true},             // e acute
      {"1;Caf\xE9;1.00", false, false, false},               // 1252's e acute is no UTF-8
      {"1;Caf\xC3\xA9;\xE9", false, true, true},            // a later byte that is none
      {"1;\xC9\x94;\xD0\x9A", true, true, false},           // open o, Cyrillic K: not in 1252
      {"1;\xD0\x9A;\xEF\xBB\xBF", true, true, true},        // a mark is dropped, not lost
      {"1;\xE6\x97\xA5\xF0\x9F\x98\x80;2", true, true, false},
      {"1;\xC3", false, false, false},                       // cut short at the end
      {"1;\xE0\x80\x80", false, false, false},              // overlong
      {std::string(20, 'a') + "\xC3\xA9" + std::string(20, 'b'), true, true, true},
  };
  for (const Case& c : cases) {
    for (std::size_t piece = 1; piece <= c.text.size(); ++piece) {
      converter::Utf8Survey survey(western);
      bool going = true;
      for (std::size_t at = 0; at < c.text.size() && going; at += piece) {
        going = survey.Look(c.text.data() + at, std::min(piece, c.text.size() - at));
      }
      if (going) survey.Finish();
      EXPECT_EQ(survey.utf8(), c.utf8) << c.text << ' ' << piece;
      if (!c.utf8) continue;
      EXPECT_EQ(survey.beyond_ascii(), c.beyond_ascii) << c.text << ' ' << piece;
      EXPECT_EQ(survey.kept_character(), c.kept) << c.text << ' ' << piece;
    }
  }
}

// The survey of a file stops at a Ctrl-Z, as reading it does.
TEST(TextFile, SurveyEndsAtCtrlZ) {
  TempDir dir;
  const converter::AnsiEncoder western(CodePage("1252:850"));
  testing_support::WriteFile(dir.File("list.txt"), std::string(70000, 'a') + "\xC3\xA9\x1A\xE9");
  converter::Utf8Survey survey(western);
  ASSERT_TRUE(converter::TextFile::Survey(platform::SystemEnv(), dir.File("list.txt"), &survey).ok());
  EXPECT_TRUE(survey.utf8());
  EXPECT_TRUE(survey.kept_character());
}

// A UTF-16 file far longer than one read, its characters and line ends cut
// between reads at every offset its varying lines bring about; the byte 0x1A
// inside a character (K is 1A 04) is no Ctrl-Z, the character U+001A is.
TEST(TextFile, LongUtf16FileReadsLineByLine) {
  std::u16string text;
  std::vector<std::string> lines;
  for (int i = 0; i < 30000; ++i) {
    std::string number = std::to_string(i);
    text += std::u16string(number.begin(), number.end()) + u";\u041A\U0001F600" +
            std::u16string(i % 7, u'x') + (i % 3 == 0 ? u"\r" : u"\r\n");
    lines.push_back(number + ";\xD0\x9A\xF0\x9F\x98\x80" + std::string(i % 7, 'x'));
  }
  text += u"last\u001Alost\n";
  lines.push_back("last");
  for (bool big_endian : {false, true}) {
    TempDir dir;
    testing_support::WriteFile(dir.File("list.txt"), (big_endian ? "\xFE\xFF" : "\xFF\xFE") + Bytes(text, big_endian));
    converter::TextFile file;
    ASSERT_TRUE(file.Open(platform::SystemEnv(), dir.File("list.txt")).ok());
    EXPECT_EQ(file.encoding(), big_endian ? TextEncoding::kUtf16Be : TextEncoding::kUtf16Le);
    std::string line;
    bool ended = false;
    std::size_t count = 0;
    while (file.ReadLine(&line, &ended)) {
      ASSERT_LT(count, lines.size());
      ASSERT_EQ(line, lines[count]) << count;
      EXPECT_EQ(ended, count + 1 < lines.size()) << count;
      ++count;
    }
    EXPECT_EQ(count, lines.size());
    EXPECT_FALSE(file.failed());
  }
}

}  // namespace
