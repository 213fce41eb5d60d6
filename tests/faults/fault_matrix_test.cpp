// The fault matrix: the converter and the transfer program end to end
// against the scale emulator's faults and missing or unusable files (full
// disks are staged in disk_faults_test.cpp). Each row says what its case
// must leave behind: the exit status, the console output byte for byte, the result files "error" and "retvals",
// and what the scale holds afterwards. Every case runs on a loopback address
// of its own, with a reply time limit of one second, and is bounded in time
// and output.
//
// The reads are paired reads of three transactions (file F30): the scale
// clears a transaction when the transfer program's key packet asks it to,
// after the program has written it into the incoming file. So each read case
// also checks that the incoming file holds exactly the transactions the
// scale no longer holds, plus at most the one whose key packet went
// unanswered (the uncertain one), that the report holds the cleared ones,
// and that a clean second fetch brings the rest: every transaction once in
// the two incoming files, the uncertain one perhaps twice.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/shop.h"

namespace {

using namespace testing_support;

const char kMissing[] = "<missing>";
const char kSettings[] = "[Params]\r\nCodePage=Win\r\nShop Name=Corner\r\nTransact=transact.txt\r\n";
const char kPriceList[] = "1;Bananas;1.29;0\n2;Apples;2.49;0;;20002\n3;Milk;0.89;1\n";

// Three PLU records for the transfer program's record load.
const char* const kPluRecords[] = {
    "00000001002310000D200000000129110521000010000001070742616E616E61730C00",
    "00000002003310000D20000000024911052120002000000107174170706C657320476F6C64656E2044656C6963696F75730C00",
    "00000003002F10000D20000000026911052120003000000107134170706C6573204772616E6E7920536D6974680C00",
};

// Three transactions the scale holds before a paired read.
const char* const kTransactions[] = {
    "00000001001D0000002600002378000000000004000047080712260803",
    "00000002001D0000002200002030000000000005000020280712260805",
    "00000003001D0000000800000000000000010002000000790712260806",
};
// Their report lines' first field: the transaction number.
const char* const kTransactionNumbers[] = {"1", "2", "3"};

const char kPluCode[] = "25";
const char kTransactionCode[] = "2E";
// The emulator's end reply as the incoming file holds it.
const char kEndReply[] = "E200000000";
// The incoming file's names: as the transfer program makes it, and as the converter names it.
const char* const kIncomingNames[] = {"QS001T30.DAT", "qs001t30.dat"};

// The longest console output any case may write.
constexpr std::size_t kMaxOutput = 4096;
// A case may take the three-second connect wait and a one-second reply wait,
// and no more than this.
constexpr int kRunLimitMs = 15000;

enum class Job {
  kTransferLoad,     // xferlnk F25.DAT 001: the three PLU records
  kTransferRead,     // xferlnk F30.DAT 001: a paired read of the three transactions
  kTransferKeys,     // xferlnk F92.DAT 001: a key load
  kConverterLoad,    // VelkoCon 001 2: the load mode
  kConverterReport,  // VelkoCon 001 2 -Transact: the paired read and its report
};

enum class Disk {
  kFine,
  kNoSettings,              // no velkocon.ini
  kSettingsDirectory,       // velkocon.ini is a directory
  kNoPageDetail,            // CodePage=OEM names a table file that is not there
  kPageDetailDirectory,     // ... or that is a directory
  kNoPriceList,             // no VelkoCon.txt
  kPriceListDirectory,      // VelkoCon.txt is a directory
  kNoF34,                   // the program folder holds no F34.DAT
  kPluFileDirectory,        // qs001F25.dat is a directory
  kStoreNameFileDirectory,  // qs001F52.dat is a directory
  kReportDirectory,         // transact.txt is a directory
  kNoOutgoing,              // the transfer program's outgoing file is missing
  kOutgoingDirectory,       // ... or a directory
  kIncomingDirectory,       // the incoming file cannot be created: a directory
  kResultFileDirectory,     // "error" is a directory
};

struct FaultCase {
  std::string name;
  Job job;
  std::vector<std::string> faults;  // the emulator's fault options; {"down"}: no emulator
  Disk disk;
  int status;
  std::string out;
  std::string err;
  std::string error_file;    // kMissing: not there
  std::string retvals_file;  // kMissing: not there
  // Load jobs: PLU records the scale holds afterwards. Read jobs: the
  // transactions it no longer holds. -1: not checked.
  int count;
};

// The records of one file code scale 001 holds (once stopped).
std::vector<std::string> Held(const Shop& shop, const char* code) {
  std::vector<std::string> records;
  std::string text = ReadFile(shop.Store() + "/001/tables.hex");
  if (text == kMissing) return records;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (line.compare(0, 3, std::string(code) + " ") == 0) records.push_back(line.substr(3));
    at = end + 1;
  }
  return records;
}

// The shop (programs, F34.DAT and F38.DAT in the program folder; the
// settings, the price list and the transfer program's outgoing files in the
// working folder), every reply waited for a second.
void Furnish(Shop& shop) {
  shop.PreparedFiles("00000001000A07024142", "0000000100080001");
  shop.Settings(kSettings);
  shop.PriceList(kPriceList);
  std::string records;
  for (const char* record : kPluRecords) records += record;
  shop.Write("qs001F25.dat", records);
  shop.Write("QS001F92.DAT", "0000000100000002");
  shop.SetEnvironment("XFLTIMEOUT=1");
}

void HoldTransactions(const Shop& shop) {
  std::string text;
  for (const char* record : kTransactions) text += std::string(kTransactionCode) + " " + record + "\n";
  shop.SeedStore(1, text);
}

// Replaces a file by a directory of that name.
void MakeDirectory(const std::string& path) {
  std::remove(path.c_str());
  ASSERT_EQ(mkdir(path.c_str(), 0777), 0) << path;
}

void PrepareDisk(Disk disk, Shop& shop) {
  switch (disk) {
    case Disk::kFine:
      break;
    case Disk::kNoSettings:
      std::remove(shop.File("velkocon.ini").c_str());
      break;
    case Disk::kSettingsDirectory:
      MakeDirectory(shop.File("velkocon.ini"));
      break;
    case Disk::kNoPageDetail:
      shop.Settings("[Params]\r\nCodePage=OEM\r\nPageDetail=\\page.txt\r\n");
      break;
    case Disk::kPageDetailDirectory:
      shop.Settings("[Params]\r\nCodePage=OEM\r\nPageDetail=\\page.txt\r\n");
      MakeDirectory(shop.File("page.txt"));
      break;
    case Disk::kNoPriceList:
      std::remove(shop.File("VelkoCon.txt").c_str());
      break;
    case Disk::kPriceListDirectory:
      MakeDirectory(shop.File("VelkoCon.txt"));
      break;
    case Disk::kNoF34:
      std::remove(shop.ProgramFile("F34.DAT").c_str());
      break;
    case Disk::kPluFileDirectory:
      MakeDirectory(shop.File("qs001F25.dat"));
      break;
    case Disk::kStoreNameFileDirectory:
      MakeDirectory(shop.File("qs001F52.dat"));
      break;
    case Disk::kReportDirectory:
      MakeDirectory(shop.File("transact.txt"));
      break;
    case Disk::kNoOutgoing:
      std::remove(shop.File("qs001F25.dat").c_str());
      std::remove(shop.File("QS001F92.DAT").c_str());
      break;
    case Disk::kOutgoingDirectory:
      MakeDirectory(shop.File("qs001F25.dat"));
      break;
    case Disk::kIncomingDirectory:
      MakeDirectory(shop.File("QS001T30.DAT"));
      break;
    case Disk::kResultFileDirectory:
      MakeDirectory(shop.File("error"));
      break;
  }
}

ProgramResult RunJob(const FaultCase& c, Shop& shop) {
  switch (c.job) {
    case Job::kTransferLoad:
      return shop.Transfer({"F25.DAT", "001"}, {}, kRunLimitMs);
    case Job::kTransferRead:
      return shop.Transfer({"F30.DAT", "001"}, {}, kRunLimitMs);
    case Job::kTransferKeys:
      return shop.Transfer({"F92.DAT", "001"}, {}, kRunLimitMs);
    case Job::kConverterLoad:
      return shop.Converter({"001", "2"}, {}, kRunLimitMs);
    case Job::kConverterReport:
      return shop.Converter({"001", "2", "-Transact"}, {}, kRunLimitMs);
  }
  return {};
}

bool IsRead(Job job) { return job == Job::kTransferRead || job == Job::kConverterReport; }

// The incoming file, whichever letter case it has; "" when there is none or
// it is no regular file.
std::string Incoming(const Shop& shop) {
  for (const char* name : kIncomingNames) {
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(shop.File(name)))) {
      return ReadFile(shop.File(name));
    }
  }
  return "";
}

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// The transaction of the key packet the scale received last and did not
// answer (by the packet log): the one the incoming file may hold although
// the scale still holds it. -1: none.
int Uncertain(const std::string& log) {
  std::istringstream lines(log);
  std::string line, unanswered;
  while (std::getline(lines, line)) {
    if (line.find(" > ") != std::string::npos) unanswered = line.substr(line.find(" > ") + 3);
    if (line.find(" < ") != std::string::npos) unanswered.clear();
  }
  const std::string key_packet = std::string("F3") + kTransactionCode;
  if (!unanswered.starts_with(key_packet)) return -1;
  for (std::size_t i = 0; i < std::size(kTransactions); ++i) {
    if (std::string(kTransactions[i]).starts_with(unanswered.substr(key_packet.size()))) return static_cast<int>(i);
  }
  return -1;
}

// The incoming file holds each transaction the scale no longer holds, once,
// and of those it still holds only the uncertain one: the transactions in
// order, then the end reply or nothing. The report, when the conversion wrote one, holds
// the cleared ones. Returns how many the scale no longer holds.
int CheckIncomingHoldsTheClearedTransactions(const Shop& shop, int uncertain) {
  std::vector<std::string> held = Held(shop, kTransactionCode);
  std::string incoming = Incoming(shop);
  std::string report = ReadFile(shop.File("transact.txt"));
  std::string in_file;
  int cleared = 0;
  for (std::size_t i = 0; i < std::size(kTransactions); ++i) {
    const int count = Occurrences(incoming, kTransactions[i]);
    EXPECT_LE(count, 1) << "transaction " << i + 1 << " is in the incoming file more than once";
    if (count == 1) in_file += kTransactions[i];
    bool still_held = false;
    for (const std::string& record : held) still_held = still_held || record == kTransactions[i];
    if (still_held) {
      EXPECT_TRUE(count == 0 || static_cast<int>(i) == uncertain)
          << "transaction " << i + 1 << " is still held but in the incoming file";
      continue;
    }
    ++cleared;
    EXPECT_EQ(count, 1) << "transaction " << i + 1 << " was cleared but is not in the incoming file";
    if (report != kMissing && !report.empty()) {
      std::string line_start = std::string(kTransactionNumbers[i]) + ";";
      EXPECT_TRUE(report.compare(0, line_start.size(), line_start) == 0 ||
                  report.find("\r\n" + line_start) != std::string::npos)
          << "transaction " << i + 1 << " was cleared but is not in the report";
    }
  }
  EXPECT_EQ(held.size() + static_cast<std::size_t>(cleared), std::size(kTransactions));
  EXPECT_TRUE(incoming.starts_with(in_file)) << incoming;
  const std::string tail = incoming.substr(std::min(in_file.size(), incoming.size()));
  EXPECT_TRUE(tail.empty() || tail == kEndReply) << "the incoming file holds more: " << tail;
  return cleared;
}

// A clean second fetch brings what the first left at the scale: each
// transaction is in one of the two incoming files, once, but the uncertain
// one, which may be in both. A first run that left a transaction uncertain or
// did not get to the end reply reported a failure.
void CheckSecondFetchBringsTheRest(Shop& shop, int uncertain) {
  const std::string first = Incoming(shop);
  if (uncertain >= 0 || !first.ends_with(kEndReply)) {
    EXPECT_TRUE(ReadFile(shop.File("retvals")).starts_with("-")) << "the first run did not report its failure";
  }
  for (const char* name : kIncomingNames) std::filesystem::remove_all(shop.File(name));
  ASSERT_TRUE(shop.StartScales({1}));
  ProgramResult r = shop.Transfer({"F30.DAT", "001"}, {}, kRunLimitMs);
  EXPECT_EQ(r.out + r.err, "");
  ASSERT_TRUE(shop.StopScales());
  const std::string second = Incoming(shop);
  EXPECT_TRUE(second.ends_with(kEndReply)) << second;
  EXPECT_EQ(Held(shop, kTransactionCode).size(), 0u);
  for (std::size_t i = 0; i < std::size(kTransactions); ++i) {
    const int in_first = Occurrences(first, kTransactions[i]);
    const int in_both = in_first + Occurrences(second, kTransactions[i]);
    if (static_cast<int>(i) == uncertain) {
      EXPECT_TRUE(in_first == 1 && in_both <= 2) << "uncertain transaction " << i + 1;
    } else {
      EXPECT_EQ(in_both, 1) << "transaction " << i + 1;
    }
  }
}

// A clean second fetch by the converter reports what the first left: every
// transaction is in exactly one of the reports the two runs wrote (both are
// in the archive), the uncertain one too.
void CheckSecondReportBringsTheRest(Shop& shop) {
  // A folder that took the report's name is gone by now.
  if (std::filesystem::is_directory(shop.File("transact.txt"))) std::filesystem::remove_all(shop.File("transact.txt"));
  ASSERT_TRUE(shop.StartScales({1}));
  ProgramResult r = shop.Converter({"001", "2", "-Transact"}, {}, kRunLimitMs);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  ASSERT_TRUE(shop.StopScales());
  EXPECT_EQ(Held(shop, kTransactionCode).size(), 0u);
  std::map<std::string, int> reported;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(shop.File("archive"))) {
    if (!entry.path().filename().string().starts_with("001-transact")) continue;
    const std::string report = ReadFile(entry.path().string());
    for (std::size_t at = 0; at < report.size(); at = report.find('\n', at) + 1) {
      ++reported[report.substr(at, report.find(';', at) - at)];
    }
  }
  for (const char* number : kTransactionNumbers) {
    EXPECT_EQ(reported[number], 1) << "transaction " << number << " in the reports";
  }
  EXPECT_EQ(reported.size(), std::size(kTransactionNumbers));
}

// The text with the shop's working folder written as <shop>.
std::string WithShopFolderNamed(std::string text, const Shop& shop) {
  std::string folder = shop.File("");
  folder.pop_back();
  for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at)) {
    text.replace(at, folder.size(), "<shop>");
  }
  return text;
}

// A failing case is named, not dumped.
void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class FaultMatrix : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultMatrix, LeavesWhatItMust) {
  const FaultCase& c = GetParam();
  Shop shop;
  Furnish(shop);
  if (IsRead(c.job)) HoldTransactions(shop);
  bool scale_up = !(c.faults.size() == 1 && c.faults[0] == "down");
  if (scale_up) {
    ASSERT_TRUE(shop.StartScales({1}, c.faults));
  }
  PrepareDisk(c.disk, shop);

  ProgramResult r = RunJob(c, shop);
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.status, c.status) << r.out << r.err;
  EXPECT_EQ(r.out, c.out);
  EXPECT_EQ(WithShopFolderNamed(r.err, shop), c.err);
  EXPECT_LE(r.out.size() + r.err.size(), kMaxOutput);
  if (c.disk != Disk::kResultFileDirectory) {
    EXPECT_EQ(ReadFile(shop.File("error")), c.error_file);
    EXPECT_EQ(ReadFile(shop.File("retvals")), c.retvals_file);
  }

  if (scale_up) {
    ASSERT_TRUE(shop.StopScales());
  }
  std::string log = shop.Log();
  if (c.disk == Disk::kResultFileDirectory) {
    EXPECT_EQ(log, "") << "a scale was contacted without result files";
  }
  if (IsRead(c.job)) {
    const int uncertain = Uncertain(log);
    int cleared = CheckIncomingHoldsTheClearedTransactions(shop, uncertain);
    if (c.count >= 0) {
      EXPECT_EQ(cleared, c.count);
    }
    if (c.job == Job::kConverterReport) {
      CheckSecondReportBringsTheRest(shop);
    } else {
      CheckSecondFetchBringsTheRest(shop, uncertain);
    }
  } else if (c.count >= 0) {
    EXPECT_EQ(Held(shop, kPluCode).size(), static_cast<std::size_t>(c.count));
  }
}

std::string Refused() { return kRefused; }
// The transfer program's line for scale 001 that failed, and the converter's
// for its transfer of the data file.
std::string Xferlnk(const std::string& cause) { return "xferlnk: scale 001 (S0001:2001): " + cause + "\n"; }
std::string Transfer(const char* file, int result) { return TransferFailedLine(file, "001", result); }
std::string Fetch(const std::string& cause, int result) { return Xferlnk(cause) + Transfer("F30.DAT", result); }
// The cause line of a fetch that brought no incoming file.
const char kNoFile[] = "VelkoCon: the fetch of F30.DAT from scale 001 brought no file qs001t30.dat\n";
const char kConnectTimeOut[] = "no answer to the connection within 3 s";
const char kNoReply[] = "no reply within 1 s after 0 records";
std::string TimedOut() { return "Connect error 10060\nConnection error fffffffb\n"; }
std::string Fatal() { return kFatal; }
std::string Incomplete() { return "Incomplete data in file: qs001t30.dat\n"; }
std::string NoData() { return "No data for file: transact.txt\n" + std::string(kBanner); }

std::vector<FaultCase> Matrix() {
  const std::string none = kMissing;
  std::vector<FaultCase> rows = {
      // name, job, emulator faults, disk, status, out, err, error, retvals, count
      {"load_fine", Job::kTransferLoad, {}, Disk::kFine, 0, "", "", "0", none, 3},
      {"load_refused", Job::kTransferLoad, {"--refuse"}, Disk::kFine, 1, Refused(), Xferlnk("connection refused"), "001", "-5", -1},
      {"load_connect_times_out", Job::kTransferLoad, {"--no-accept"}, Disk::kFine, 1, TimedOut(), Xferlnk(kConnectTimeOut), "001", "-5", 0},
      {"load_no_answer", Job::kTransferLoad, {"--no-answer"}, Disk::kFine, 1, "Nread control -8\n", Xferlnk("no reply within 1 s after 0 of 3 records"), "001", "-8", 1},
      {"load_late_answer", Job::kTransferLoad, {"--delay-ms", "1500"}, Disk::kFine, 1, "Nread control -8\n", Xferlnk("no reply within 1 s after 0 of 3 records"), "001", "-8", 1},
      {"load_short_reply_1", Job::kTransferLoad, {"--short-reply", "1"}, Disk::kFine, 0, "", "", "0", none, 3},
      {"load_short_reply_2", Job::kTransferLoad, {"--short-reply", "2"}, Disk::kFine, 0, "", "", "0", none, 3},
      {"load_short_reply_3", Job::kTransferLoad, {"--short-reply", "3"}, Disk::kFine, 0, "", "", "0", none, 3},
      {"load_garbage_reply", Job::kTransferLoad, {"--reply", "DEADBEEF"}, Disk::kFine, 0, "", "", "0", none, 3},

      {"read_fine", Job::kConverterReport, {}, Disk::kFine, 0, kBanner, "", "0", none, 3},
      {"read_refused", Job::kConverterReport, {"--refuse"}, Disk::kFine, 4, Refused() + Fatal(), Fetch("connection refused", -5) + kNoFile, "001", "-5", 0},
      {"read_connect_times_out", Job::kConverterReport, {"--no-accept"}, Disk::kFine, 4, TimedOut() + Fatal(), Fetch(kConnectTimeOut, -5) + kNoFile, "001", "-5", 0},
      {"read_no_answer", Job::kConverterReport, {"--no-answer"}, Disk::kFine, 4, "Nread control -8\nNo data for file: transact.txt\n" + std::string(kBanner), Fetch(kNoReply, -6), "001", "-6", 0},
      {"read_short_reply_1", Job::kConverterReport, {"--short-reply", "1"}, Disk::kFine, 4, "Nread control -8\n" + NoData(), Fetch(kNoReply, -6), "001", "-6", 0},
      {"read_short_reply_2", Job::kConverterReport, {"--short-reply", "2"}, Disk::kFine, 4, "Nread control -8\n" + NoData(), Fetch(kNoReply, -6), "001", "-6", 0},
      {"read_short_reply_3", Job::kConverterReport, {"--short-reply", "3"}, Disk::kFine, 4, "Nread control -8\n" + NoData(), Fetch(kNoReply, -6), "001", "-6", 0},
      {"read_garbage_reply_promising_more", Job::kConverterReport, {"--reply", "0102030405060708"}, Disk::kFine, 4, "Nread control -8\n" + NoData(), Fetch(kNoReply, -6), "001", "-6", 0},
      {"read_garbage_reply_beyond_a_record", Job::kConverterReport, {"--reply", "01020304FFFF0708"}, Disk::kFine, 4, NoData(),
       Fetch("answered a read with something that is neither a record nor an end reply after 0 records", -6), "001", "-6", 0},
      {"read_echoing_the_key_ends_at_once", Job::kConverterReport, {"--echo-key"}, Disk::kFine, 4, NoData(),
       Fetch("handed out the key 00000000 a second time after 0 records", -6), "001", "-6", 0},
      {"transfer_read_fine", Job::kTransferRead, {}, Disk::kFine, 0, "", "", "0", none, 3},


      {"no_settings", Job::kConverterLoad, {"down"}, Disk::kNoSettings, 255, "velkocon.ini absent\n", "VelkoCon: no velkocon.ini in <shop>\n", none, none, -1},
      {"settings_directory", Job::kConverterLoad, {"down"}, Disk::kSettingsDirectory, 255, "velkocon.ini absent\n", "VelkoCon: velkocon.ini in <shop> is a folder\n", none, none, -1},
      {"no_page_detail", Job::kConverterLoad, {"down"}, Disk::kNoPageDetail, 255, "File PageDetail is absent. Fatal error!\n", CauseLine("cannot open PageDetail=\\page.txt", Reason::kNoSuchFile), none, none, -1},
      {"page_detail_directory", Job::kConverterLoad, {"down"}, Disk::kPageDetailDirectory, 255, "File PageDetail is absent. Fatal error!\n", "VelkoCon: cannot open PageDetail=\\page.txt: it is a folder\n", none, none, -1},
      {"no_price_list", Job::kConverterLoad, {}, Disk::kNoPriceList, 2, "", "Could not open file.\n" + CauseLine("cannot open VelkoCon.txt", Reason::kNoSuchFile), none, none, 0},
      {"price_list_directory", Job::kConverterLoad, {}, Disk::kPriceListDirectory, 2, "", "Could not open file.\nVelkoCon: cannot open VelkoCon.txt: it is a folder\n", none, none, 0},
      {"no_f34", Job::kConverterLoad, {}, Disk::kNoF34, 6, kBanner,
       "Transfer of F34.DAT to scale 001 failed: F34.DAT is in neither the shop folder nor the converter's folder\n", "0", none, 3},
      {"plu_file_directory", Job::kConverterLoad, {}, Disk::kPluFileDirectory, 3, "", "Could not create file.\n" + CauseLine("cannot create qs001F25.dat", Reason::kIsAFolder), none, none, 0},
      {"store_name_file_directory", Job::kConverterLoad, {}, Disk::kStoreNameFileDirectory, 3, "", "Could not create file.\n" + CauseLine("cannot create qs001F52.dat", Reason::kIsAFolder), "0", none, 3},
      {"report_file_directory", Job::kConverterReport, {}, Disk::kReportDirectory, 4, kBanner, "Could not open file.\nVelkoCon: cannot create transact.txt: a folder has that name\n", "0", none, 3},
      {"transfer_no_record_file", Job::kTransferLoad, {}, Disk::kNoOutgoing, 1, "\nfopen QS001F25.DAT failed err = 2\n",
       Xferlnk("the file QS001F25.DAT cannot be opened (No such file or directory)"), "001", "-1", 0},
      {"transfer_record_file_directory", Job::kTransferLoad, {}, Disk::kOutgoingDirectory, 1, "\nBad record file QS001F25.DAT at offset 0\n",
       Xferlnk("the file QS001F25.DAT is not well formed at offset 0"), "001", "-1", 0},
      {"transfer_no_key_file", Job::kTransferKeys, {}, Disk::kNoOutgoing, 1, "\nfopen QS001F92.DAT failed\n",
       Xferlnk("the file QS001F92.DAT cannot be opened (No such file or directory)"), "001", "-1", -1},
      {"transfer_incoming_directory", Job::kTransferRead, {}, Disk::kIncomingDirectory, 1, "\nfopen QS001T30.DAT failed\n",
       Xferlnk("the file QS001T30.DAT cannot be created"), "001", "-1", 0},
      {"transfer_result_files_directory", Job::kTransferLoad, {}, Disk::kResultFileDirectory, 255, "Could not create result files\n", "", none, none, 0},
  };

  // Close and reset after each request of the record load (three records)
  // and of the paired read: read(0) and key(0), then for each transaction n
  // read(n), which gives the next, and key(n), which clears n. The
  // transaction of a key packet goes into the incoming file just before it,
  // the end reply after the last answer: a break leaves the file incomplete,
  // and empty while nothing was written (up to request 3).
  for (int k = 1; k <= 3; ++k) {
    const std::string so_far = " after " + std::to_string(k - 1) + " of 3 records";
    rows.push_back({"load_close_after_" + std::to_string(k), Job::kTransferLoad, {"--close-after", std::to_string(k)}, Disk::kFine, 1,
                    "Nread control 0\n", Xferlnk("closed the connection" + so_far), "001", "-6", k - 1});
    rows.push_back({"load_reset_after_" + std::to_string(k), Job::kTransferLoad, {"--reset-after", std::to_string(k)}, Disk::kFine, 1,
                    "Nread control -8\n", Xferlnk("connection reset by the scale" + so_far), "001", "-8", k - 1});
    // A refused record: the load goes on, then fails naming it.
    rows.push_back({"load_refused_" + std::to_string(k), Job::kTransferLoad, {"--nak", std::to_string(k)}, Disk::kFine, 1,
                    "", Xferlnk("refused 1 of 3 records: PLU " + std::to_string(k)), "001", "-9", 2});
  }
  for (int k = 1; k <= 8; ++k) {
    bool read_packet = k % 2 == 1;
    int cleared = k <= 4 ? 0 : (k - 3) / 2;  // the key packet of transaction n is request 2n + 2
    int code = read_packet ? -6 : -3;
    const int read = (k - 1) / 2;  // the records read when the pass of request k began
    const std::string so_far = " after " + std::to_string(read) + (read == 1 ? " record" : " records");
    std::string conversion = k <= 3 ? NoData() : Incomplete() + kBanner;
    rows.push_back({"read_close_after_" + std::to_string(k), Job::kConverterReport, {"--close-after", std::to_string(k)}, Disk::kFine, 4,
                    "Nread control 0\n" + conversion, Fetch("closed the connection" + so_far, code), "001", std::to_string(code), cleared});
    rows.push_back({"read_reset_after_" + std::to_string(k), Job::kConverterReport, {"--reset-after", std::to_string(k)}, Disk::kFine, 4,
                    "Nread control -8\n" + conversion, Fetch("connection reset by the scale" + so_far, code), "001", std::to_string(code), cleared});
    // A refused read ends the read; a refused key packet clears nothing,
    // and its record is taken back out of the file.
    if (read_packet) {
      const std::string after = "0000000" + std::to_string(read);
      rows.push_back({"read_refused_" + std::to_string(k), Job::kConverterReport, {"--nak", std::to_string(k)}, Disk::kFine, 4,
                      conversion, Fetch("refused the read of the record after key " + after + so_far, -9), "001", "-9", cleared});
    } else {
      const std::string key = "0000000" + std::to_string(k / 2 - 1);
      const std::string refused_conversion = k <= 4 ? NoData() : Incomplete() + kBanner;
      rows.push_back({"read_refused_" + std::to_string(k), Job::kConverterReport, {"--nak", std::to_string(k)}, Disk::kFine, 4,
                      refused_conversion, Fetch("refused to clear the record of key " + key + so_far, -9), "001", "-9", (k - 4) / 2 > 0 ? (k - 4) / 2 : 0});
    }
  }
  return rows;
}

INSTANTIATE_TEST_SUITE_P(Cases, FaultMatrix, ::testing::ValuesIn(Matrix()), CaseName());

}  // namespace
