// The shop the end-to-end tests run the programs in: a temporary root with a
// program folder (the built VelkoCon and xferlnk copied in, and F34.DAT and
// F38.DAT when a test prepares them) and a working folder (settings, price
// list, scale files, result files), the scale names S0001 to S0009 resolved
// through nss_wrapper to the test's own loopback address, and the scale
// emulator serving its scales there. With SCALELINK_PROGRAM_DIR set the
// Windows programs are copied in under their Windows names and started
// through SCALELINK_RUNNER (see test_support_posix.h).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/test_support_posix.h"

namespace testing_support {

// The converter's closing lines after a run that went through.
inline const char kBanner[] = "Conversion finished.\nPrice-list converter for networked scales.\n";
// The transfer program's lines for a scale that refuses the connection.
inline const char kRefused[] = "Connect error 10061\nConnection error fffffffb\n";
// The converter's lines when a fetch left no incoming file to convert.
inline const char kFatal[] = "File length error\nFatal error\n";
// The converter's line for a failed transfer, its result in words written
// out here as the user reads them ("Transfer of F34.DAT to scale 001 failed:
// no connection to the scale (result -5)").
std::string TransferFailedLine(const std::string& file, const std::string& scale, int result);
// The words the programs under test give for a failure of the system, as
// their cause lines quote them: strerror's of the Linux programs, the
// system's messages for the Windows programs under wine.
enum class Reason { kNoSuchFile, kIsAFolder, kDiskFull };
std::string ReasonText(Reason reason);
// "VelkoCon: " + what + ": " + the reason + a line end: a cause line.
std::string CauseLine(const std::string& what, Reason reason);
// The store-name record of "ABC" under the default settings.
inline const char kStoreNameRecord[] = "00000001000F001105034142430C00";

// Time limits of one run: the converter starts the transfer program once per
// file, the transfer program serves its scales in turn.
inline constexpr int kConverterLimitMs = 60000;
inline constexpr int kTransferLimitMs = 20000;
// The scales S0001 to S0009 are named in the hosts file.
inline constexpr int kNamedScales = 9;

class Shop {
 public:
  // The programs go into program_folder, the test's files into
  // working_folder: folders of the shop's temporary root, one folder when
  // both names are the same.
  explicit Shop(const std::string& program_folder = "program", const std::string& working_folder = "shop");
  Shop(const Shop&) = delete;
  Shop& operator=(const Shop&) = delete;

  const std::string& root() const { return root_.path(); }
  const std::string& address() const { return address_; }
  // Paths in the working and in the program folder.
  std::string File(const std::string& name) const { return work_ + "/" + name; }
  std::string ProgramFile(const std::string& name) const { return program_ + "/" + name; }

  // Files of the working folder.
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const { return ReadFile(File(name)); }
  bool Has(const std::string& name) const { return Exists(File(name)); }
  void Settings(const std::string& ini) const { Write("velkocon.ini", ini); }
  void PriceList(const std::string& text) const { Write("VelkoCon.txt", text); }
  // The prepared files the load mode sends first, in the program folder.
  void PreparedFiles(const std::string& f34, const std::string& f38) const;

  // Names the programs resolve: S0001 to S0009 and those added.
  void AddHost(const std::string& name, const std::string& address);
  // Off for runs that look up no name the hosts file holds: nss_wrapper hands
  // other names to the C library, which a sanitizer build does not allow.
  void UseHostsFile(bool use) { use_hosts_file_ = use; }
  // Sets a variable ("NAME=value") for every run; the transfer program's
  // XFLTCPMODE is empty and XFLTIMEOUT 5 unless set.
  void SetEnvironment(const std::string& entry);

  // Runs a program of the program folder in the working folder; extra_env
  // sets variables for this run only.
  ProgramResult Converter(const std::vector<std::string>& arguments, const std::vector<std::string>& extra_env = {},
                          int timeout_ms = kConverterLimitMs) const {
    return RunHere(converter_, arguments, extra_env, timeout_ms);
  }
  ProgramResult Transfer(const std::vector<std::string>& arguments, const std::vector<std::string>& extra_env = {},
                         int timeout_ms = kTransferLimitMs) const {
    return RunHere(transfer_, arguments, extra_env, timeout_ms);
  }
  // Runs a shell script in the working folder with the programs' environment
  // and VELKOCON and XFERLNK naming the programs: for runs that are started
  // side by side or interrupted.
  ProgramResult Shell(const std::string& script, int timeout_ms = kConverterLimitMs) const;

  // The emulator's store: scale N's tables are N/tables.hex ("CC HEX" lines).
  std::string Store() const { return root_.File("store"); }
  void SeedStore(int scale, const std::string& table_text) const;
  // Starts the emulator for the scales (scale N on port 2000 + N) with its
  // fault options; false if it did not get ready.
  bool StartScales(const std::vector<int>& scales = {1}, const std::vector<std::string>& faults = {});
  // Stops it, its store written; true if it ended well.
  bool StopScales() { return sim_.Stop(); }
  // The packet log written so far ("" before the emulator ran).
  std::string Log() const;
  // Expects the packet log to be expected but for the order of the "close"
  // lines, waiting a few seconds for it: the emulator may see a new
  // connection before it notices that the one before was closed, and may log
  // a close a moment after the program ended.
  void ExpectLog(const std::string& expected) const;
  // Stops the emulator, then gives its connections ("open") and the requests
  // it received, in order, without the replies and the closes.
  std::vector<std::string> Requests();

 private:
  ProgramResult RunHere(const std::string& program, const std::vector<std::string>& arguments,
                        const std::vector<std::string>& extra_env, int timeout_ms) const;

  TempDir root_;
  std::string program_;
  std::string work_;
  std::string converter_;
  std::string transfer_;
  std::string address_;
  std::vector<std::pair<std::string, std::string>> hosts_;
  std::vector<std::string> hosts_environment_;
  bool use_hosts_file_ = true;
  std::vector<std::string> environment_ = {"XFLTCPMODE=", "XFLTIMEOUT=5"};
  ScaleSim sim_;
};

// The shop as a test fixture, programs and working folder apart.
class ShopTest : public ::testing::Test, public Shop {};

}  // namespace testing_support
