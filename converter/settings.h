// The converter's settings: section Params of "velkocon.ini" in the working
// directory, read once at start and validated, and the table that translates
// article and shop names for the scale.
#pragma once

#include <string>
#include <vector>

#include "converter/run_failure.h"
#include "platform/env.h"

namespace converter {

// A text setting keeps at most this many characters.
constexpr std::size_t kMaxSettingLength = 99;
// But for the list of the shop's scales.
constexpr std::size_t kMaxScalesSettingLength = 4096;
// How long a run waits for another run of the folder to end, unless Lock
// Wait says (0 to kMaxLockWaitSeconds).
constexpr int kDefaultLockWaitSeconds = 7200;
constexpr int kMaxLockWaitSeconds = 604800;

// How many scales the transfer program serves at once, unless Parallel
// Scales says (1 to common::kMaxParallelScales).
constexpr int kDefaultParallelScales = 8;
// The most PLUs a load deletes from one scale, unless Remove Limit says.
constexpr int kDefaultRemoveLimit = 500;

// Price List Encoding: how a price list without a byte-order mark is read.
enum class PriceListEncoding {
  kAuto,  // as UTF-8 when its bytes are UTF-8 (see TextFile::Open), else as ANSI
  kAnsi,  // the bytes as they are, in the PC's ANSI code page
  kUtf8,
};

struct Settings {
  int time_print = 0;
  int no_type = 0;
  int label_format = 17;
  int barcode_prefix = 25;
  int barcode_type = 5;
  int barcode_weight_prefix = -1;  // -1: Barcode Prefix serves
  int barcode_weight_type = -1;    // -1: Barcode Type serves
  std::string shop_name;
  std::string code_page = "Dos";  // "Dos", "Win" or "OEM", whatever letter case the settings use
  std::string page_detail;
  std::string mg_total;
  std::string plu_total;
  std::string clerk_total;
  std::string store_total;
  std::string transact;
  std::string rt_buffer;
  int shop_font = 5;
  std::string archive = "archive";    // the archive folder; empty: none
  std::string log_file = "velkocon.log";  // the run log; empty: none
  PriceListEncoding price_list_encoding = PriceListEncoding::kAuto;  // for a price list without a byte-order mark
  int price_decimals = -1;       // Price Decimals 0..4; -1: the price's digits as they stand
  int report_header = 0;         // Report Header: not 0 puts a line of column names atop each report
  std::vector<std::string> scales;  // Scales: the shop's scale identifiers, for the scale argument "all"
  int parallel_scales = kDefaultParallelScales;  // Parallel Scales, 1 to 64
  int lock_wait_seconds = kDefaultLockWaitSeconds;  // Lock Wait: how long a run waits for another
  bool verify = false;              // Verify=1: a load reads each scale's PLU file back and compares it
  bool remove_other_plus = false;   // Remove Other PLUs=1: a verified load deletes the PLUs the list does not name
  int remove_limit = kDefaultRemoveLimit;  // Remove Limit: the most PLUs deleted from one scale, 0 or more
};

// Translation of a name for the scale: entry b is the byte written for the
// byte b of a name. "Dos" gives the ANSI-to-OEM table of the system, "Win"
// the identity, "OEM" the PageDetail table.
struct NameTable {
  unsigned char map[256] = {};
};

// Reads and validates the settings of the working directory and builds the
// name table. What the run goes on after (no [Params] section, a key that is
// no setting, a number setting that is no number) is added to warnings,
// one line each. A failure (RunFailure::kSettings) has as its message the
// fixed text the run ends with, and as its cause the setting and its value
// ("Barcode Type=12 is not 1 to 21 but 12"), or the folder where
// velkocon.ini was looked for; without_arguments (the program was started
// with none) adds that it is started in the shop folder.
RunStatus ReadSettings(platform::Env& env, const std::string& working_directory, Settings* settings,
                       NameTable* names, std::vector<std::string>* warnings = nullptr,
                       bool without_arguments = false);

// Loads a PageDetail table file into table (identity for the bytes it does
// not name). A failure's message is the fixed text, its cause names the file
// as shown ("cannot open PageDetail=\cp.txt: ...", "line 2 of ... is not
// index value: ...").
RunStatus LoadPageDetail(platform::Env& env, const std::string& path, NameTable* table,
                         const std::string& shown = "the PageDetail file");

// Translates count bytes of text through the table into out (same length).
void TranslateName(const NameTable& names, const char* text, std::size_t count, char* out);

}  // namespace converter
