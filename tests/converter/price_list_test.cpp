// Price-list lines: columns, item kind, extra number, item code, and the
// lines that are skipped or rejected.
#include "converter/price_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using converter::ItemKind;
using converter::LineResult;
using converter::ParsePriceListLine;
using converter::PriceListEntry;
using converter::Rejection;

struct Parsed {
  LineResult result = LineResult::kBlank;
  Rejection rejection = Rejection::kNone;
  std::string plu_number, name, price, item_code;
  ItemKind kind = ItemKind::kWeighed;
  int extra_number = 0;
};

Parsed Parse(std::string line, char separator = ';', bool no_type = false, bool line_feed = true) {
  PriceListEntry entry;
  Parsed p;
  p.result = ParsePriceListLine(line, line_feed, separator, no_type, &entry, &p.rejection);
  if (p.result == LineResult::kEntry) {
    p.plu_number = std::string(entry.plu_number);
    p.name = std::string(entry.name);
    p.price = std::string(entry.price);
    p.item_code = std::string(entry.item_code);
    p.kind = entry.kind;
    p.extra_number = entry.extra_number;
  }
  return p;
}

constexpr ItemKind W = ItemKind::kWeighed;
constexpr ItemKind C = ItemKind::kCounted;
constexpr int kAbsent = converter::kNoExtraNumber;

TEST(PriceList, OptionalColumns) {
  struct Case {
    const char* line;
    bool no_type;
    ItemKind kind;
    int extra;
    const char* item_code;
  } cases[] = {
      {"10;PEAR;2.40", false, W, kAbsent, "10"},
      {"10;PEAR;2.40;", false, W, kAbsent, "10"},
      {"10;PEAR;2.40;1", false, C, kAbsent, "10"},
      {"10;PEAR;2.40;01", false, W, kAbsent, "10"},
      {"10;PEAR;2.40;;", false, W, kAbsent, "10"},
      {"10;PEAR;2.40;0;;777", false, W, kAbsent, "777"},
      {"10;PEAR;2.40;0;15;", false, W, 15, "10"},
      {"10;PEAR;2.40;0;15;;9", false, W, 15, ""},
      {"10;PEAR;2.40;1;-1;5", false, C, kAbsent, "5"},
      {"10;PEAR;2.40;1;abc", false, C, 0, "10"},
      {"10;PEAR;2.40;1; 7x", false, C, 7, "10"},
      {"10;PEAR;2.40;1;0", false, C, 0, "10"},
      {"10;PEAR;2.40;1;999;12;more;columns", false, C, 999, "12"},
      {"10;PEAR;2.40;1;;; 42 ", false, C, kAbsent, ""},
      {"10;PEAR;2.40;1;;  ", false, C, kAbsent, ""},
      {"10;PEAR;2.40;0;;12345678901234", false, W, kAbsent, "5678901234"},
      // Without the item-kind column every item is weighed.
      {"10;PEAR;2.40;15;777", true, W, 15, "777"},
      {"10;PEAR;2.40;1", true, W, 1, "10"},
      {"10;PEAR;2.40", true, W, kAbsent, "10"},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(c.line, ';', c.no_type);
    ASSERT_EQ(p.result, LineResult::kEntry) << c.line;
    EXPECT_EQ(p.plu_number, "10") << c.line;
    EXPECT_EQ(p.name, "PEAR") << c.line;
    EXPECT_EQ(p.price, "2.40") << c.line;
    EXPECT_EQ(p.kind, c.kind) << c.line;
    EXPECT_EQ(p.extra_number, c.extra) << c.line;
    EXPECT_EQ(p.item_code, c.item_code) << c.line;
  }
}

TEST(PriceList, BlanksAroundNumbersAreDroppedBlanksInTheNameKept) {
  Parsed p = Parse(" \t123 ; Big  Pear ; 1.99\t;1;; 0042 ");
  ASSERT_EQ(p.result, LineResult::kEntry);
  EXPECT_EQ(p.plu_number, "123");
  EXPECT_EQ(p.name, " Big  Pear ");
  EXPECT_EQ(p.price, "1.99");
  EXPECT_EQ(p.item_code, "0042");
}

TEST(PriceList, UkrainianIAndUnderscoreBecomeLatinLetters) {
  Parsed p = Parse("7;\xB2_\xB3;1.00;0;;1");
  ASSERT_EQ(p.result, LineResult::kEntry);
  EXPECT_EQ(p.name, "Iii");
  // In a number column the letter makes the line malformed.
  EXPECT_EQ(Parse("7_;A;1.00").rejection, Rejection::kBadPluNumber);
}

TEST(PriceList, SeparatorsAndDecimalMarks) {
  Parsed comma = Parse("5,Plum,1.20", ',');
  ASSERT_EQ(comma.result, LineResult::kEntry);
  EXPECT_EQ(comma.price, "1.20");
  Parsed stop = Parse("5.Plum.1,20", '.');
  ASSERT_EQ(stop.result, LineResult::kEntry);
  EXPECT_EQ(stop.price, "1,20");
  Parsed tab = Parse("5\tPlum; a;b\t1,20\t1", '\t');
  ASSERT_EQ(tab.result, LineResult::kEntry);
  EXPECT_EQ(tab.name, "Plum; a;b");
  EXPECT_EQ(tab.kind, C);
}

TEST(PriceList, LongNameKeepsItsFirst99Bytes) {
  std::string name(150, 'N');
  name[98] = 'L';
  Parsed p = Parse("1;" + name + ";1");
  ASSERT_EQ(p.result, LineResult::kEntry);
  EXPECT_EQ(p.name, name.substr(0, 99));
}

TEST(PriceList, BlankLinesAreSkipped) {
  for (const char* line : {"", " ", "\t \t", "            "}) {
    EXPECT_EQ(Parse(line).result, LineResult::kBlank) << '"' << line << '"';
    EXPECT_EQ(Parse(line, ';', false, false).result, LineResult::kBlank) << '"' << line << '"';
  }
}

TEST(PriceList, MalformedLines) {
  struct Case {
    const char* line;
    bool line_feed;
    Rejection rejection;
  } cases[] = {
      {"1;A;", false, Rejection::kTooShort},  // 4 characters, no line feed
      {"1;;", true, Rejection::kTooShort},    // 3 characters and the line feed
      {"x", true, Rejection::kTooShort},
      {"12345;APPLES", true, Rejection::kTooFewColumns},
      {"12345 APPLES 1.00", true, Rejection::kTooFewColumns},
      {" ;APPLES;1.00", true, Rejection::kBadPluNumber},
      {"123456789;APPLES;1.00", true, Rejection::kBadPluNumber},
      {"12a;APPLES;1.00", true, Rejection::kBadPluNumber},
      {"-12;APPLES;1.00", true, Rejection::kBadPluNumber},
      {"1 2;APPLES;1.00", true, Rejection::kBadPluNumber},
      {"12;APPLES;1.0a", true, Rejection::kBadPrice},
      {"12;APPLES;1.000.0", true, Rejection::kBadPrice},
      {"12;APPLES;1,5.0", true, Rejection::kBadPrice},
      {"12;APPLES;123456789", true, Rejection::kBadPrice},
      {"12;APPLES;1234567.89", true, Rejection::kBadPrice},
      {"12;APPLES;-1.00", true, Rejection::kBadPrice},
      {"12;APPLES;1 00", true, Rejection::kBadPrice},
      {"12;APPLES;1.00;0;1000", true, Rejection::kBadExtraNumber},
      {"12;APPLES;1.00;0;-2", true, Rejection::kBadExtraNumber},
      {"12;APPLES;1.00;0;99999999999999999999", true, Rejection::kBadExtraNumber},
      {"12;APPLES;1.00;0;;12A", true, Rejection::kBadItemCode},
      {"12;APPLES;1.00;0;;1 2", true, Rejection::kBadItemCode},
      {"12;APPLES;1.00;0;;-5", true, Rejection::kBadItemCode},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(c.line, ';', false, c.line_feed);
    EXPECT_EQ(p.result, LineResult::kRejected) << c.line;
    EXPECT_EQ(p.rejection, c.rejection) << c.line;
    EXPECT_STRNE(converter::RejectionText(p.rejection), "") << c.line;
  }
}

TEST(PriceList, ShortestAcceptedLines) {
  // Five characters with the line feed; without it the same text is short.
  Parsed p = Parse("1;A;");
  ASSERT_EQ(p.result, LineResult::kEntry);
  EXPECT_EQ(p.price, "");
  EXPECT_EQ(Parse("1;A;2", ';', false, false).result, LineResult::kEntry);
  // Eight digits are the most a price may hold, with or without a mark.
  EXPECT_EQ(Parse("1;A;123456.78").price, "123456.78");
  EXPECT_EQ(Parse("1;A;12345678").price, "12345678");
  EXPECT_EQ(Parse("1;A;.").price, ".");
  EXPECT_EQ(Parse("12345678;A;1").plu_number, "12345678");
}

}  // namespace
