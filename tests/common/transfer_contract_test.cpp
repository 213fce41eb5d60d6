// The result files as the converter reads them: "error" holding "0" means
// every scale went well, also with the blanks and line ends a wrapper
// script's echo leaves around it.
#include "common/transfer_contract.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

TEST(ResultFiles, ReaderTakesTheValueWithoutBlanksAndLineEnds) {
  const struct {
    const char* error;  // null: no such file
    const char* retvals;
    bool none_failed;
    int first_number;
  } cases[] = {
      {"0", nullptr, true, 0},          {"0\n", nullptr, true, 0},      {" 0 \r\n", nullptr, true, 0},
      {"00", nullptr, false, 0},        {"", nullptr, false, 0},        {"001;002", "-5;-8", false, -5},
      {"001\n", " -6\n", false, -6},    {nullptr, nullptr, false, 0},
  };
  for (const auto& c : cases) {
    testing_support::TempDir dir;
    if (c.error != nullptr) testing_support::WriteFile(dir.File("error"), c.error);
    if (c.retvals != nullptr) testing_support::WriteFile(dir.File("retvals"), c.retvals);
    const common::RecordedResults results = common::ReadResultFiles(platform::SystemEnv(), dir.path());
    const char* label = c.error != nullptr ? c.error : "(none)";
    EXPECT_EQ(results.error_read, c.error != nullptr) << label;
    EXPECT_EQ(results.none_failed, c.none_failed) << label;
    EXPECT_EQ(results.code_read, c.retvals != nullptr) << label;
    EXPECT_EQ(results.first_number, c.first_number) << label;
  }
}

}  // namespace
