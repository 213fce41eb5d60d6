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
// How many scales the transfer program serves at once, unless Parallel
// Scales says (1 to common::kMaxParallelScales).
constexpr int kDefaultParallelScales = 8;
// The most PLUs a load deletes from one scale, unless Remove Limit says.
constexpr int kDefaultRemoveLimit = 500;

struct Settings {
  int time_print = 0;
  int no_type = 0;
  int label_format = 17;
  int barcode_prefix = 25;
  int barcode_type = 5;
  int barcode_weight_prefix = -1;  // -1: Barcode Prefix serves
  int barcode_weight_type = -1;    // -1: Barcode Type serves
  std::string shop_name;
  std::string code_page = "Dos";
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
  bool price_list_utf8 = false;  // Price List Encoding=UTF-8: the price list is UTF-8 without a mark
  int price_decimals = -1;       // Price Decimals 0..4; -1: the price's digits as they stand
  int report_header = 0;         // Report Header: not 0 puts a line of column names atop each report
  std::vector<std::string> scales;  // Scales: the shop's scale identifiers, for the scale argument "all"
  int parallel_scales = kDefaultParallelScales;  // Parallel Scales, 1 to 64
  bool verify = false;              // Verify=1: a load reads each scale's PLU file back and compares it
  bool remove_other_plus = false;   // Remove Other PLUs=1: a verified load deletes the PLUs the list does not name
  int remove_limit = kDefaultRemoveLimit;  // Remove Limit: the most PLUs deleted from one scale, 0 or more
};

// Translation of a name for the scale: entry b is the byte written for the
// byte b of a name. "Dos" gives the ANSI-to-OEM table of the system, "Win"
// the identity, "OEM" the PageDetail table, any other value all zeros.
struct NameTable {
  unsigned char map[256] = {};
};

// Reads and validates the settings of the working directory and builds the
// name table. What the run goes on after (no [Params] section, a key that is
// no setting, a number setting that is no number) is added to warnings,
// one line each. A failure (RunFailure::kSettings) has as its message the
// fixed text the run ends with.
RunStatus ReadSettings(platform::Env& env, const std::string& working_directory, Settings* settings,
                       NameTable* names, std::vector<std::string>* warnings = nullptr);

// Loads a PageDetail table file into table (identity for the bytes it does
// not name). A failure's message is the fixed text.
RunStatus LoadPageDetail(platform::Env& env, const std::string& path, NameTable* table);

// Translates count bytes of text through the table into out (same length).
void TranslateName(const NameTable& names, const char* text, std::size_t count, char* out);

}  // namespace converter
