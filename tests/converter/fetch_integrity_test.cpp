// Nothing a scale hands over is lost or counted twice, as a busy shop and an
// interrupted job would try it: a fetch stopped half way (the converter's
// whole group ended, or the converter alone killed) and run again, and two
// converters started at once in one folder. Every transaction the scale held
// must be found in the reports and the archive, once, but for the one record
// whose clearing a break left uncertain.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "support/shop.h"

namespace {

using testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::ShopTest;

const char kSettings[] = "[Params]\nCodePage=Win\nTransact=transact.txt\n";

// A transaction of 29 bytes with the ticket number as its key.
std::string Transaction(int ticket) {
  char text[64];
  std::snprintf(text, sizeof text, "%08d001D%08d0000025000000000000100001234071226%04d", ticket, 100 + ticket,
                ticket % 2400);
  return text;
}

class FetchIntegrity : public ShopTest {
 protected:
  void SetUp() override { Settings(kSettings); }

  void SeedTransactions(int count) {
    std::string table;
    for (int ticket = 1; ticket <= count; ++ticket) table += "2E " + Transaction(ticket) + "\n";
    SeedStore(1, table);
  }

  // How often each ticket is found: in the archived incoming files (the
  // tickets of whole records) and in the archived reports (first fields),
  // counted apart.
  void CountArchive(std::map<int, int>* incoming, std::map<int, int>* reports) {
    if (!std::filesystem::exists(File("archive"))) return;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(File("archive"))) {
      if (!entry.is_regular_file()) continue;
      const std::string name = entry.path().filename().string();
      const std::string text = ReadFile(entry.path().string());
      if (name.starts_with("QS001T30")) {
        for (std::size_t at = 0; at + 58 <= text.size() && text.compare(at, 2, "E2") != 0; at += 58) {
          ++(*incoming)[std::stoi(text.substr(at, 8))];
        }
      } else {
        for (std::size_t at = 0; at < text.size();) {
          ++(*reports)[std::stoi(text.substr(at, text.find(';', at) - at))];
          at = text.find('\n', at) + 1;
          if (at == 0) break;
        }
      }
    }
  }

  // Every ticket from 1 to count was kept, each once but at most one.
  void ExpectEveryTicketOnce(const std::map<int, int>& found, int count, const char* where) {
    int twice = 0;
    for (int ticket = 1; ticket <= count; ++ticket) {
      auto it = found.find(ticket);
      ASSERT_NE(it, found.end()) << where << ": ticket " << ticket << " lost";
      EXPECT_LE(it->second, 2) << where << ": ticket " << ticket;
      if (it->second == 2) ++twice;
    }
    EXPECT_LE(twice, 1) << where;
    EXPECT_EQ(found.size(), static_cast<std::size_t>(count)) << where;
  }
};

// The fetch is stopped half way, then run again: what the first run cleared
// is in the archive (its incoming file, moved there before the second
// fetch), and the second report holds every transaction exactly once, the
// first run's first.
TEST_F(FetchIntegrity, InterruptedFetchLosesNothing) {
  const struct {
    const char* name;
    const char* stop;  // how the first run is ended, $c its converter
  } cases[] = {
      {"the converter's group ends", "kill -TERM 0"},
      {"the converter alone is killed", "kill -KILL $c; sleep 0.5"},
  };
  constexpr int kTransactions = 8;
  for (const auto& c : cases) {
    for (const char* name : {"archive", "QS001T30.DAT", "qs001t30.dat.pending", "transact.txt"}) {
      std::filesystem::remove_all(File(name));
    }
    SeedTransactions(kTransactions);
    ASSERT_TRUE(StartScales({1}, {"--delay-ms", "100"}));  // two requests a transaction: 1.6 s in all
    Shell(std::string("\"$VELKOCON\" 001 2 -Transact & c=$!; sleep 0.7; ") + c.stop);
    ASSERT_TRUE(StopScales());
    ASSERT_TRUE(StartScales());
    ProgramResult second = Converter({"001", "2", "-Transact"});
    ASSERT_TRUE(StopScales());
    EXPECT_EQ(second.status, 0) << c.name << second.out << second.err;

    std::map<int, int> incoming, reports;
    CountArchive(&incoming, &reports);
    ExpectEveryTicketOnce(incoming, kTransactions, c.name);
    std::vector<int> reported;
    const std::string report = Read("transact.txt");
    for (std::size_t at = 0; at < report.size(); at = report.find('\n', at) + 1) {
      reported.push_back(std::stoi(report.substr(at, report.find(';', at) - at)));
    }
    std::vector<int> every(kTransactions);
    for (int ticket = 1; ticket <= kTransactions; ++ticket) every[static_cast<std::size_t>(ticket - 1)] = ticket;
    EXPECT_EQ(reported, every) << c.name << "\n" << report;
  }
}

// Two runs at once in one folder take turns: both finish, and every
// transaction is in exactly one of their reports.
TEST_F(FetchIntegrity, TwoConvertersAtOnceTakeTurns) {
  constexpr int kTransactions = 300;
  SeedTransactions(kTransactions);
  ASSERT_TRUE(StartScales());
  ProgramResult r = Shell(
      "\"$VELKOCON\" 001 2 -Transact > one.out 2>&1 & a=$!; "
      "\"$VELKOCON\" 001 2 -Transact > two.out 2>&1 & b=$!; "
      "wait $a; ea=$?; wait $b; eb=$?; echo $ea $eb");
  EXPECT_EQ(r.out, "0 0\n") << Read("one.out") << Read("two.out");
  EXPECT_NE((Read("one.out") + Read("two.out")).find("waiting for it to end"), std::string::npos);
  std::map<int, int> incoming, reports;
  CountArchive(&incoming, &reports);
  for (const auto& [ticket, times] : reports) EXPECT_EQ(times, 1) << ticket;
  ExpectEveryTicketOnce(reports, kTransactions, "reports");
  ExpectEveryTicketOnce(incoming, kTransactions, "incoming");
}

// A run waits for another at most Lock Wait seconds, then ends with exit
// code 3 and says since when the folder has been busy. The lock file is
// open to every account that runs in the folder.
TEST_F(FetchIntegrity, ARunWaitsForAnotherNoLongerThanLockWait) {
  Settings(std::string(kSettings) + "Lock Wait=1\n");
  ASSERT_TRUE(StartScales());
  ProgramResult r = Shell(
      "\"$VELKOCON\" 001 2 -Transact > first.out 2>&1; "
      "flock velkocon.lck sh -c '\"$VELKOCON\" 001 2 -Transact; echo \"exit $?\"'");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "exit 3\n") << r.err;
  EXPECT_TRUE(std::regex_match(
      r.err, std::regex("Another run of VelkoCon is working in this folder: waiting for it to end \\(at most 1 s\\)\\.\n"
                        "The folder is busy: another run holds velkocon.lck\n"
                        "VelkoCon: another run of VelkoCon has held velkocon.lck since [-0-9T:+]+ \\(local time\\), "
                        "and still held it after 1 s of waiting \\(setting Lock Wait\\)\n")))
      << r.err;
  struct stat st;
  ASSERT_EQ(stat(File("velkocon.lck").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666u);
}

}  // namespace
