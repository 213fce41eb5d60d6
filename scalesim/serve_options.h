// The command line of "scalesim serve".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scalesim {

// The ports of scales: port 2000 + scale number, scale numbers 0 to 999.
constexpr int kFirstScalePort = 2000;
constexpr int kLastScalePort = 2999;
// The longest --delay-ms, and the most requests --close-after and
// --reset-after count.
constexpr int kMaxDelayMs = 600000;
constexpr int kMaxRequestCount = 1000000000;
constexpr int kMaxShortReply = 3;

struct Endpoint {
  std::string text;         // as given, for messages
  std::uint32_t address = 0;  // network order
  int port = 0;
  int scale = 0;            // port - 2000
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
};

struct ServeOptions {
  std::string store;
  std::vector<Endpoint> listen;
  std::string ready_file;
  std::string log_file;
  Faults faults;
};

// Reads the arguments after "serve". False and a one-line message (ending
// in a line feed) if they are not usable.
bool ParseServeArguments(const std::vector<std::string>& arguments, ServeOptions* options,
                         std::string* problem);

// Reads "ADDR:PORT" with a dotted IPv4 address and a scale port.
bool ParseEndpoint(const std::string& text, Endpoint* endpoint);

// Reads a decimal count from low to high; false if it is not one.
bool ParseCount(const std::string& text, long long low, long long high, long long* value);

// Reads an even number of hex digits as bytes; false if empty or not hex.
bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>* bytes);

}  // namespace scalesim
