// Price-list lines: columns, item kind, extra number, item code, and the
// lines that are skipped or rejected.
#include "converter/price_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using converter::ItemKind;
using converter::LineFormat;
using converter::LineResult;
using converter::ParsePriceListLine;
using converter::PriceListEntry;
using converter::RejectionReason;

struct Parsed {
  LineResult result = LineResult::kBlank;
  RejectionReason rejection = RejectionReason::kNone;
  std::string message;  // the rejection in words
  std::string plu_number, name, price, price_digits, item_code;
  bool item_code_is_plu_number = false;
  ItemKind kind = ItemKind::kWeighed;
  int extra_number = 0;
};

Parsed Parse(std::string line, char separator = ';', bool no_type = false, bool line_end = true,
             int price_decimals = converter::kPriceDigitsAsTheyStand, bool ukrainian_i = false) {
  PriceListEntry entry;
  converter::Rejection rejection;
  LineFormat format{separator, no_type, price_decimals, ukrainian_i};
  Parsed p;
  p.result = ParsePriceListLine(line, line_end, format, &entry, &rejection);
  p.rejection = rejection.reason;
  if (p.result == LineResult::kRejected) p.message = converter::DescribeRejection(rejection, format);
  if (p.result == LineResult::kEntry) {
    p.plu_number = std::string(entry.plu_number);
    p.name = std::string(entry.name);
    p.price = std::string(entry.price);
    p.price_digits = std::string(entry.price_digits, sizeof entry.price_digits);
    p.item_code = std::string(entry.item_code);
    p.item_code_is_plu_number = entry.item_code_is_plu_number;
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
      // An empty item-code column, before a notes column or a separator too,
      // is no item code: the PLU number serves.
      {"10;PEAR;2.40;0;15;;9", false, W, 15, "10"},
      {"10;PEAR;2.40;0;;;ripe by Friday", false, W, kAbsent, "10"},
      {"10;PEAR;2.40;0;;\"\";", false, W, kAbsent, "10"},
      {"10;PEAR;2.40;;;", true, W, kAbsent, "10"},
      {"10;PEAR;2.40;1;abc", false, C, 0, "10"},
      {"10;PEAR;2.40;1; 7x", false, C, 7, "10"},
      {"10;PEAR;2.40;1;0", false, C, 0, "10"},
      {"10;PEAR;2.40;1;999;12;more;columns", false, C, 999, "12"},
      {"10;PEAR;2.40;1;;; 42 ", false, C, kAbsent, "10"},
      {"10;PEAR;2.40;1;;  ", false, C, kAbsent, "10"},
      {"10;PEAR;2.40;0;;12345678901234", false, W, kAbsent, "12345678901234"},
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
    EXPECT_EQ(p.item_code_is_plu_number, p.item_code == "10") << c.line;
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

// The bytes 0xB2 and 0xB3 are the Ukrainian I and i only in code page 1251;
// in 1250 0xB3 is l with stroke, in 1252 0xB2 is the superscript two. '_'
// becomes 'i' whatever the code page.
TEST(PriceList, UkrainianIAndUnderscoreBecomeLatinLetters) {
  struct Case {
    const char* name;
    bool code_page_1251;
    const char* loaded;
  } cases[] = {
      {"\xB2_\xB3", true, "Iii"},
      {"\xB2_\xB3", false, "\xB2i\xB3"},
      {"Mas\xB3o", false, "Mas\xB3o"},
      {"Kie\xB3" "basa", false, "Kie\xB3" "basa"},
      {"Tile 30 cm\xB2", false, "Tile 30 cm\xB2"},
      {"Big_Pear", false, "BigiPear"},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(std::string("7;") + c.name + ";1.00;0;;1", ';', false, true, converter::kPriceDigitsAsTheyStand,
                     c.code_page_1251);
    ASSERT_EQ(p.result, LineResult::kEntry) << c.name;
    EXPECT_EQ(p.name, c.loaded) << c.name;
  }
  // In a number column the letter makes the line malformed.
  EXPECT_EQ(Parse("7_;A;1.00").rejection, RejectionReason::kBadPluNumber);
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

// Blank lines, and the lines whose every column is empty that a formula
// filled past the data leaves.
TEST(PriceList, BlankLinesAreSkipped) {
  for (const char* line : {"", " ", "\t \t", "            ", ";;;;;", " ; ;\"\";;\" \"", "\"\";\"\";\"\";\"\""}) {
    EXPECT_EQ(Parse(line).result, LineResult::kBlank) << '"' << line << '"';
    EXPECT_EQ(Parse(line, ';', false, false).result, LineResult::kBlank) << '"' << line << '"';
  }
  EXPECT_EQ(Parse(",,\"\",,,,", ',').result, LineResult::kBlank);
  // A quote or any other character in a column is something.
  for (const char* line : {";;;;x", "\"\"\"\";;;;", "\";;;;", ";\"x\";;;"}) {
    EXPECT_EQ(Parse(line).result, LineResult::kRejected) << line;
  }
}

TEST(PriceList, MalformedLinesAreNamedWithTheirValue) {
  struct Case {
    const char* line;
    bool line_end;
    RejectionReason rejection;
    const char* message;
  } cases[] = {
      {"1;A;", false, RejectionReason::kTooShort, "line \"1;A;\" is shorter than 5 characters"},
      {"1;;", true, RejectionReason::kTooShort, "line \"1;;\" is shorter than 5 characters"},
      {"12345;APPLES", true, RejectionReason::kTooFewColumns, "line \"12345;APPLES\" has fewer than three columns"},
      {"12345 APPLES 1.00", true, RejectionReason::kTooFewColumns, nullptr},
      {"12;\"APPLES;1.00", true, RejectionReason::kUnclosedQuote, "column \"\\\"APPLES;1.00\" has no closing quote"},
      {"12;A;1;\"1;5", true, RejectionReason::kUnclosedQuote, nullptr},
      {" ;APPLES;1.00", true, RejectionReason::kBadPluNumber, "PLU number \"\" is not 1 to 8 digits"},
      {"123456789;APPLES;1.00", true, RejectionReason::kBadPluNumber, nullptr},
      {"12a;APPLES;1.00", true, RejectionReason::kBadPluNumber, "PLU number \"12a\" is not 1 to 8 digits"},
      {"-12;APPLES;1.00", true, RejectionReason::kBadPluNumber, nullptr},
      {"1 2;APPLES;1.00", true, RejectionReason::kBadPluNumber, nullptr},
      {"0;ZERO;1.00", true, RejectionReason::kZeroPluNumber, "PLU number \"0\" is 0, whose totals no fetch can report"},
      {"0000;ZERO;1.00", true, RejectionReason::kZeroPluNumber, nullptr},
      {"26;Ham;Ham;1", true, RejectionReason::kBadPrice, "price \"Ham\" is not a number"},
      {"12;APPLES;1.000.0", true, RejectionReason::kBadPrice, nullptr},
      {"12;APPLES;1,5.0", true, RejectionReason::kBadPrice, nullptr},
      {"12;APPLES;123456789", true, RejectionReason::kPriceTooLong, "price \"123456789\" does not fit in 8 digits"},
      {"12;APPLES;1234567.89", true, RejectionReason::kPriceTooLong, nullptr},
      {"12;APPLES;-1.00", true, RejectionReason::kBadPrice, nullptr},
      {"12;APPLES;1 00", true, RejectionReason::kBadPrice, nullptr},
      {"12;APPLES;1.00;0;1000", true, RejectionReason::kBadExtraNumber, "extra number \"1000\" is outside 0 to 999"},
      {"12;APPLES;1.00;0;-2", true, RejectionReason::kBadExtraNumber, nullptr},
      {"12;APPLES;1.00;0;-1", true, RejectionReason::kBadExtraNumber, "extra number \"-1\" is outside 0 to 999"},
      {"12;APPLES;1.00;0;99999999999999999999", true, RejectionReason::kBadExtraNumber, nullptr},
      {"12;APPLES;1.00;0;;12A", true, RejectionReason::kBadItemCode, "item code \"12A\" is not a number"},
      {"12;APPLES;1.00;0;;1 2", true, RejectionReason::kBadItemCode, nullptr},
      {"12;APPLES;1.00;0;;-5", true, RejectionReason::kBadItemCode, nullptr},
      // Control bytes, quotes and backslashes escaped, values cut after 40 bytes.
      {"1\t2;A;1", true, RejectionReason::kBadPluNumber, "PLU number \"1\\x092\" is not 1 to 8 digits"},
      {"12;A;\"x\"\"\\\x01\"", true, RejectionReason::kBadPrice, "price \"x\\\"\\\\\\x01\" is not a number"},
      {"12;A;1234567890123456789012345678901234567890123", true, RejectionReason::kPriceTooLong,
       "price \"1234567890123456789012345678901234567890\"... does not fit in 8 digits"},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(c.line, ';', false, c.line_end);
    EXPECT_EQ(p.result, LineResult::kRejected) << c.line;
    EXPECT_EQ(p.rejection, c.rejection) << c.line;
    if (c.message != nullptr) {
      EXPECT_EQ(p.message, c.message) << c.line;
    }
  }
}

TEST(PriceList, ShortestAcceptedLines) {
  // Five characters with the line end; without it the same text is short.
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

// Columns quoted as spreadsheets quote them: the separator inside is text, a
// doubled quote is one quote, a quote anywhere but at a column's start is an
// ordinary character.
TEST(PriceList, QuotedColumns) {
  struct Case {
    const char* line;
    const char* plu_number;
    const char* name;
    const char* price;
    const char* item_code;
  } cases[] = {
      {"24;\"Ham; sliced\";248,38;1;8;69945521", "24", "Ham; sliced", "248,38", "69945521"},
      {"24;\"Say \"\"Cheese\"\"\";1.00", "24", "Say \"Cheese\"", "1.00", "24"},
      {"\"24\";\"Ham\";\"2,50\";\"1\";\"\";\"777\"", "24", "Ham", "2,50", "777"},
      {"24;\"\";1.00;0", "24", "", "1.00", "24"},
      {"24;\"Bio\" milk 1L;1.00", "24", "Bio milk 1L", "1.00", "24"},  // text after the closing quote stays
      {"24;12\" pizza;1.00", "24", "12\" pizza", "1.00", "24"},
      {"24;Ham \"x;y\";1.00", nullptr, nullptr, nullptr, nullptr},  // the price column is y"
      {"24;\"\"\"\";1.00", "24", "\"", "1.00", "24"},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(c.line);
    if (c.item_code == nullptr) {
      EXPECT_EQ(p.rejection, RejectionReason::kBadPrice) << c.line;
      continue;
    }
    ASSERT_EQ(p.result, LineResult::kEntry) << c.line;
    EXPECT_EQ(p.plu_number, c.plu_number) << c.line;
    EXPECT_EQ(p.name, c.name) << c.line;
    EXPECT_EQ(p.price, c.price) << c.line;
    EXPECT_EQ(p.item_code, c.item_code) << c.line;
  }
  EXPECT_EQ(Parse("24;\"Ham; sliced\";248,38;1").kind, C);
  // A quoted separator does not count towards the columns of a cut line.
  LineFormat format{';', false, converter::kPriceDigitsAsTheyStand};
  EXPECT_TRUE(converter::ColumnsEndWithin("1;\"a;b\";1;1;2;3;", format));
  EXPECT_FALSE(converter::ColumnsEndWithin("1;\"a;b;1;1;2;3;", format));
}

TEST(PriceList, PriceDecimals) {
  struct Case {
    int decimals;
    const char* price;
    const char* digits;  // nullptr: rejected
    RejectionReason rejection = RejectionReason::kNone;
  } cases[] = {
      // Digits as they stand: the mark is dropped, nothing is scaled.
      {-1, "12", "00000012"},
      {-1, "12,5", "00000125"},
      {-1, "12.50", "00001250"},
      {2, "12", "00001200"},
      {2, "12,5", "00001250"},
      {2, "12.50", "00001250"},
      {2, "0.99", "00000099"},
      {2, ".5", "00000050"},
      {2, "5.", "00000500"},
      {2, "", "00000000"},
      {2, "000012.5", "00001250"},
      {2, "999999.99", "99999999"},
      {2, "12.500", "00001250"},  // zeros beyond the decimals change nothing
      {2, "12.505", nullptr, RejectionReason::kTooManyDecimals},
      {2, "1000000", nullptr, RejectionReason::kPriceTooLong},
      {2, ".", "00000000"},  // a mark alone is 0, as an empty price
      {2, ",", "00000000"},
      {2, "1.2.3", nullptr, RejectionReason::kBadPrice},
      {0, "12", "00000012"},
      {0, "12.0", "00000012"},
      {0, "12.5", nullptr, RejectionReason::kTooManyDecimals},
      {3, "12", "00012000"},
      {3, "1,255", "00001255"},
      {3, "0.0005", nullptr, RejectionReason::kTooManyDecimals},
      {3, "99999.999", "99999999"},
      {3, "100000", nullptr, RejectionReason::kPriceTooLong},
      {4, "1", "00010000"},
      // Floating-point noise: less than 1e-9 away from a price with the
      // decimals kept, rounded to it.
      {2, "44.369999999999999999", "00004437"},
      {2, "7.8800000000000000001", "00000788"},
      {2, "12.3400000001", "00001234"},
      {2, "0.9999999999", "00000100"},
      {0, "11.99999999999", "00000012"},
      {4, "1.23449999999", "00012345"},
      {2, "99999.9999999999", "10000000"},
      {2, "999999.999999999999", nullptr, RejectionReason::kPriceTooLong},  // 1000000.00
      // 1e-9 away or more is a price of more decimals.
      {2, "12.349999999", nullptr, RejectionReason::kTooManyDecimals},
      {2, "12.340000001", nullptr, RejectionReason::kTooManyDecimals},
      {2, "12.34999999", nullptr, RejectionReason::kTooManyDecimals},
      {2, "12.3499999991", "00001235"},
      {2, "12.3499999981", nullptr, RejectionReason::kTooManyDecimals},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(std::string("1;A;") + c.price + ";0", ';', false, true, c.decimals);
    if (c.digits == nullptr) {
      EXPECT_EQ(p.rejection, c.rejection) << c.decimals << ' ' << c.price;
      continue;
    }
    ASSERT_EQ(p.result, LineResult::kEntry) << c.decimals << ' ' << c.price;
    EXPECT_EQ(p.price_digits, c.digits) << c.decimals << ' ' << c.price;
  }
  EXPECT_EQ(Parse("1;A;12.505;0", ';', false, true, 2).message, "price \"12.505\" has more than 2 decimals");
}

// What joining the lines of a quoted column and the separator hint look at.
TEST(PriceList, QuotesAtTheLineEndAndColumnCounts) {
  constexpr std::size_t kNone = std::string::npos;
  struct Case {
    const char* line;
    std::size_t open_at;
  } opens[] = {
      {"1;Ham;2", kNone},          {"1;\"Ham;2", 2},         {"1;\"Ham\";\"note", 8},
      {"1;Say \"Cheese;2", kNone}, {"1;\"Say \"\"Ch", 2},     {"1;\"a;b\";2;\"", 10},
  };
  for (const Case& c : opens) EXPECT_EQ(converter::OpenQuoteAt(c.line, ';'), c.open_at) << c.line;
  using converter::QuoteEnd;
  EXPECT_EQ(converter::EndOfQuote("1;\"Ham sliced\";2", 2, ';'), QuoteEnd::kClosed);
  EXPECT_EQ(converter::EndOfQuote("1;\"Ham sliced\"", 2, ';'), QuoteEnd::kClosed);
  EXPECT_EQ(converter::EndOfQuote("1;\"Ham 2;3;\"Pear\";4", 2, ';'), QuoteEnd::kClosedAmidText);
  EXPECT_EQ(converter::EndOfQuote("1;\"Ham \"\" 2", 2, ';'), QuoteEnd::kOpen);
  EXPECT_TRUE(converter::HasThreeColumns("1,A,2", ','));
  EXPECT_FALSE(converter::HasThreeColumns("1,A,2", ';'));
  EXPECT_FALSE(converter::HasThreeColumns("1;\"A;2\"", ';'));
}

TEST(PriceList, HeaderLines) {
  LineFormat format{';', false, converter::kPriceDigitsAsTheyStand};
  for (const char* header : {"PLU;Name;Price;Type;Extra;Code", "\"PLU\";\"Name\";\"Price\"", "Nr;Name;Price",
                             "PLU Nr;Article; Price (EUR) "}) {
    EXPECT_TRUE(converter::IsHeaderLine(header, format)) << header;
  }
  // An article with a mistake is no header: it is rejected and counted.
  for (const char* line : {"PLU;Name", "12a;Name;Price", "PLU;Name;1.00", "PLU;Name;", ";Name;Price", "PLU,Name,Price"}) {
    EXPECT_FALSE(converter::IsHeaderLine(line, format)) << line;
  }
}

}  // namespace
