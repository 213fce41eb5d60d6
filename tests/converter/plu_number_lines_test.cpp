// The earlier line of a PLU number, while the numbers are dense and after
// they have moved to the table for sparse ones.
#include <gtest/gtest.h>

#include <cstdint>

#include "converter/plu_number_lines.h"

namespace {

TEST(PluNumberLines, NamesTheFirstLineOfANumberHoweverSpread) {
  struct Step {
    std::uint32_t plu_number;
    long long line;
    long long earlier;  // what Note returns
    bool dense;         // after the step
  };
  const struct {
    const char* name;
    Step steps[7];
  } cases[] = {
      {"dense, out of order",
       {{3, 1, 0, true}, {1, 2, 0, true}, {3, 3, 1, true}, {2, 4, 0, true}, {1, 5, 2, true}, {3, 6, 1, true},
        {65000, 7, 0, true}}},
      {"a far number moves them and keeps them",
       {{5, 1, 0, true}, {99999999, 2, 0, false}, {5, 3, 1, false}, {99999999, 4, 2, false}, {6, 5, 0, false},
        {6, 6, 5, false}, {5, 7, 1, false}}},
      {"a line that cannot be noted is not",
       {{8, 0, 0, true}, {8, 1, 0, true}, {8, 4294967296LL, 1, true}, {9, 4294967296LL, 0, true},
        {9, 2, 0, true}, {99999999, 0, 0, false}, {99999999, 3, 0, false}}},
  };
  for (const auto& c : cases) {
    converter::PluNumberLines lines;
    for (const Step& step : c.steps) {
      EXPECT_EQ(lines.Note(step.plu_number, step.line), step.earlier) << c.name << ", line " << step.line;
      EXPECT_EQ(lines.dense(), step.dense) << c.name << ", line " << step.line;
    }
  }
}

// Many numbers spread far apart, past the sparse table's first growths.
TEST(PluNumberLines, SparseNumbersSurviveGrowth) {
  converter::PluNumberLines lines;
  constexpr std::uint32_t kCount = 5000, kSpacing = 19997;
  for (std::uint32_t i = 1; i <= kCount; ++i) ASSERT_EQ(lines.Note(i * kSpacing, i), 0) << i;
  EXPECT_FALSE(lines.dense());
  for (std::uint32_t i = 1; i <= kCount; ++i) ASSERT_EQ(lines.Note(i * kSpacing, kCount + i), i) << i;
}

}  // namespace
