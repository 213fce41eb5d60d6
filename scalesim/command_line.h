// The command lines of "scalesim serve", "show" and "sell". One table of
// options (command_line.cpp) says which commands take each option and how
// its value is read; the usage text stands beside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/code_page_pair.h"
#include "scalesim/text_codes.h"

namespace scalesim {

// The ports of scales: port 2000 + scale number, scale numbers 0 to 999.
constexpr int kFirstScalePort = 2000;
constexpr int kLastScalePort = 2999;
constexpr int kLastScale = kLastScalePort - kFirstScalePort;
// The longest --delay-ms, and the most requests --close-after,
// --reset-after and --nak count (and the largest N of --alter-plu and
// --drop-plu).
constexpr int kMaxDelayMs = 600000;
constexpr int kMaxRequestCount = 1000000000;
constexpr int kMaxShortReply = 3;
// The most records --records-per-reply puts in one reply, and the most keys
// --cycle-keys cycles through.
constexpr int kMaxRecordsPerReply = 100;
constexpr int kMaxCycleKeys = 1000000;
// --idle-timeout: its default and its largest value, in seconds.
constexpr int kDefaultIdleTimeoutSeconds = 30;
constexpr int kMaxIdleTimeoutSeconds = 86400;
// The most sales one "sell" makes, and the largest seed.
constexpr long long kMaxSalesPerRun = 1000000;
constexpr long long kMaxSeed = 999999999999999999LL;

struct Endpoint {
  std::string text;           // as given, for messages
  std::uint32_t address = 0;  // network order
  int port = 0;
  int scale = 0;              // port - 2000
};

// Ways to misbehave, for tests. They apply to every listener.
struct Faults {
  bool refuse = false;      // bind nothing
  bool no_accept = false;   // full backlog, never accept
  bool no_answer = false;   // read requests, never reply
  int close_after = 0;      // close on receiving request N (0: never)
  int reset_after = 0;      // reset on receiving request N (0: never)
  int delay_ms = 0;         // delay before each reply
  bool fixed_reply = false; // answer every request with reply_bytes
  std::vector<std::uint8_t> reply_bytes;
  bool echo_key = false;    // answer a read with a record of the key asked
  int short_reply = 0;      // cut or pad every reply to this many bytes (1..3)
  bool split_reply = false; // write every reply in two writes ...
  int split_pause_ms = 0;   // ... this far apart
  int records_per_reply = 1;  // a read answers with this many records
  int cycle_keys = 0;       // reads answer keys 1..N over and over (0: never)
  bool new_keys = false;    // reads answer keys never handed out before
  // Stored loads that differ from what was sent: every Nth PLU record (record
  // packet of file code 25) a scale stores, counted per scale from the start,
  // is stored with another price (alter) or not at all (drop); 0: never.
  int alter_plu = 0;
  int drop_plu = 0;
  // Refusals: these requests of each connection (counted as close_after
  // counts), and every key packet with nak_keys, are answered with one
  // negative acknowledge (15) and not carried out.
  std::vector<int> nak_requests;
  bool nak_keys = false;
};

enum class Command { kServe, kShow, kSell };

// Every option of every command; each command reads the ones it takes.
struct Options {
  std::string store;  // all commands
  // serve
  std::vector<Endpoint> listen;
  std::string ready_file;
  std::string log_file;
  std::string stop_file;  // serve ends as at SIGTERM once this file is there
  int idle_timeout_seconds = kDefaultIdleTimeoutSeconds;  // 0: never
  Faults faults;
  // show and sell: the scale number; for show -1 is every scale of the store
  int scale = -1;
  // show: the code page of the name bytes ("Win": the ANSI code page of the
  // PC's pair, "Dos": its OEM code page, the pair as the converter takes it;
  // "ANSI:OEM" such as 1251:866: that pair's OEM code page), and the
  // characters the bytes stand for, read from it once the line is read.
  NameCodePage name_code_page = NameCodePage::kWin;
  platform::CodePagePair code_pages;  // for kPair
  NameTable names;
  // sell
  long long count = 0;
  std::uint64_t seed = 0;
};

// The usage lines of all three commands.
extern const char kUsage[];

// The command of that name; false if there is none.
bool FindCommand(const std::string& name, Command* command);

// Reads the arguments after the command's name. False and a one-line
// message (ending in a line feed) if they are not usable.
bool ParseCommandLine(Command command, const std::vector<std::string>& arguments, Options* options,
                      std::string* problem);

// Reads "ADDR:PORT" with a dotted IPv4 address and a scale port.
bool ParseEndpoint(const std::string& text, Endpoint* endpoint);

// Reads a decimal count from low to high; false if it is not one.
bool ParseCount(const std::string& text, long long low, long long high, long long* value);

// Reads an even number of hex digits as bytes; false if empty or not hex.
bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>* bytes);

}  // namespace scalesim
