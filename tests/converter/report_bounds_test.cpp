// The conversion never reads past the end of the incoming text and always
// moves forward: every prefix of valid and of damaged texts is converted
// from a buffer that ends right before an inaccessible page, so a read past
// its end faults at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "converter/report_conversion.h"
#include "support/fault_env.h"

namespace {

using converter::RecordsEnd;
using converter::ReportLayout;

const char kTime[] = "07/12/2026 14:05:09";

// Memory whose last usable byte lies right before a page without access.
class GuardedBuffer {
 public:
  explicit GuardedBuffer(std::size_t capacity) {
    page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    data_pages_ = (capacity + page_ - 1) / page_ + 1;
    void* base = mmap(nullptr, (data_pages_ + 1) * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    base_ = base == MAP_FAILED ? nullptr : static_cast<char*>(base);
    if (base_ != nullptr) mprotect(base_ + data_pages_ * page_, page_, PROT_NONE);
  }
  ~GuardedBuffer() {
    if (base_ != nullptr) munmap(base_, (data_pages_ + 1) * page_);
  }
  bool ok() const { return base_ != nullptr; }
  // The text placed so that its last character is the last accessible byte.
  const char* Place(const std::string& text) {
    char* at = base_ + data_pages_ * page_ - text.size();
    std::memcpy(at, text.data(), text.size());
    return at;
  }

 private:
  std::size_t page_ = 0;
  std::size_t data_pages_ = 0;
  char* base_ = nullptr;
};

struct Scan {
  RecordsEnd end;
  std::size_t lines;
};

Scan Convert(GuardedBuffer* buffer, const std::string& text, ReportLayout layout) {
  testing_support::StringOutputFile out;
  RecordsEnd end = converter::WriteReportLines(buffer->Place(text), text.size(), ';', layout, kTime, out);
  return {end, static_cast<std::size_t>(std::count(out.text().begin(), out.text().end(), '\n'))};
}

std::string Zeros(std::size_t n) { return std::string(n, '0'); }

struct LayoutCase {
  ReportLayout layout;
  std::string record;  // one whole record
};

std::vector<LayoutCase> Layouts() {
  return {
      {ReportLayout::kMGTotal, "00000001" "0053" + Zeros(154)},
      {ReportLayout::kPLUTotal, "00000001" "006D" + Zeros(206)},
      {ReportLayout::kTransact, "00000001" "001D" + Zeros(46)},
      {ReportLayout::kRTBuffer, "00000001" + Zeros(720)},
  };
}

// Every prefix of two records, one longer than its layout reads, and an end
// reply: whole records give lines, anything short of the end reply is
// incomplete, and nothing past the end is touched.
TEST(ReportBounds, EveryPrefixStaysInside) {
  GuardedBuffer buffer(4096);
  ASSERT_TRUE(buffer.ok());
  for (const LayoutCase& c : Layouts()) {
    std::string longer = c.record;
    if (c.layout != ReportLayout::kRTBuffer) {
      std::size_t bytes = c.record.size() / 2 + 3;
      char length[3];
      std::snprintf(length, sizeof length, "%02X", static_cast<unsigned>(bytes));
      longer.replace(10, 2, length);
      longer += "ABCDEF";
    }
    std::string text = longer + c.record + "E200000000";
    for (std::size_t size = 0; size <= text.size(); ++size) {
      Scan scan = Convert(&buffer, text.substr(0, size), c.layout);
      std::size_t whole = size >= longer.size() + c.record.size() ? 2 : size >= longer.size() ? 1 : 0;
      bool at_end = size >= longer.size() + c.record.size() + 2;
      EXPECT_EQ(scan.end, at_end ? RecordsEnd::kEndReply : RecordsEnd::kIncomplete) << size;
      EXPECT_EQ(scan.lines, whole) << size;
    }
  }
}

// Random damage: characters replaced by anything at all, bytes cut off.
// Each conversion ends, within the text, with at most one line per
// layout-sized step.
TEST(ReportBounds, DamagedTextsEndInside) {
  GuardedBuffer buffer(8192);
  ASSERT_TRUE(buffer.ok());
  std::mt19937 random(20261207);
  for (const LayoutCase& c : Layouts()) {
    std::string clean;
    while (clean.size() + c.record.size() < 6000) clean += c.record;
    clean += "E200000000";
    for (int round = 0; round < 200; ++round) {
      std::string text = clean;
      int damage = 1 + static_cast<int>(random() % 8);
      for (int d = 0; d < damage; ++d) {
        const char kAlphabet[] = "0123456789ABCDEFE2\x00\xff g";
        text[random() % text.size()] = kAlphabet[random() % (sizeof kAlphabet - 1)];
      }
      text.resize(random() % (text.size() + 1));
      Scan scan = Convert(&buffer, text, c.layout);
      EXPECT_LE(scan.lines, text.size() / c.record.size() + 1);
    }
  }
}

}  // namespace
