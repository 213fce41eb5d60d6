#include "scalesim/serve_options.h"

#include "common/hex_text.h"
#include "scalesim/net.h"
#include "scalesim/protocol.h"

namespace scalesim {

bool ParseCount(const std::string& text, long long low, long long high, long long* value) {
  if (text.empty() || text.size() > 18) return false;
  long long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < low || v > high) return false;
  *value = v;
  return true;
}

bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>* bytes) {
  if (text.empty() || text.size() % 2 != 0 || text.size() > 2 * kMaxRequestLength) return false;
  bytes->clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    if (!common::IsHexDigit(text[i]) || !common::IsHexDigit(text[i + 1])) return false;
    bytes->push_back(common::HexByte(text[i], text[i + 1]));
  }
  return true;
}

bool ParseEndpoint(const std::string& text, Endpoint* endpoint) {
  std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  long long port = 0;
  if (!net::ParseIpv4(text.substr(0, colon), &endpoint->address) ||
      !ParseCount(text.substr(colon + 1), kFirstScalePort, kLastScalePort, &port)) {
    return false;
  }
  endpoint->text = text;
  endpoint->port = static_cast<int>(port);
  endpoint->scale = endpoint->port - kFirstScalePort;
  return true;
}

namespace {

bool TakeCount(const std::vector<std::string>& arguments, std::size_t* i, long long low, long long high,
               int* value) {
  long long v = 0;
  if (*i + 1 >= arguments.size() || !ParseCount(arguments[*i + 1], low, high, &v)) return false;
  *value = static_cast<int>(v);
  ++*i;
  return true;
}

bool TakeText(const std::vector<std::string>& arguments, std::size_t* i, std::string* value) {
  if (*i + 1 >= arguments.size() || arguments[*i + 1].empty()) return false;
  *value = arguments[*i + 1];
  ++*i;
  return true;
}

}  // namespace

bool ParseServeArguments(const std::vector<std::string>& arguments, ServeOptions* options,
                         std::string* problem) {
  Faults& f = options->faults;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    bool ok = true;
    if (a == "--store") {
      ok = TakeText(arguments, &i, &options->store);
    } else if (a == "--listen") {
      Endpoint endpoint;
      ok = i + 1 < arguments.size() && ParseEndpoint(arguments[i + 1], &endpoint);
      if (ok) {
        options->listen.push_back(endpoint);
        ++i;
      } else {
        *problem = "--listen needs ADDR:PORT with an IPv4 address and a port from 2000 to 2999\n";
        return false;
      }
    } else if (a == "--ready") {
      ok = TakeText(arguments, &i, &options->ready_file);
    } else if (a == "--log") {
      ok = TakeText(arguments, &i, &options->log_file);
    } else if (a == "--refuse") {
      f.refuse = true;
    } else if (a == "--no-accept") {
      f.no_accept = true;
    } else if (a == "--no-answer") {
      f.no_answer = true;
    } else if (a == "--close-after") {
      ok = TakeCount(arguments, &i, 1, kMaxRequestCount, &f.close_after);
    } else if (a == "--reset-after") {
      ok = TakeCount(arguments, &i, 1, kMaxRequestCount, &f.reset_after);
    } else if (a == "--delay-ms") {
      ok = TakeCount(arguments, &i, 0, kMaxDelayMs, &f.delay_ms);
    } else if (a == "--reply") {
      ok = i + 1 < arguments.size() && ParseHexBytes(arguments[i + 1], &f.reply_bytes);
      f.fixed_reply = ok;
      if (ok) ++i;
    } else if (a == "--echo-key") {
      f.echo_key = true;
    } else if (a == "--short-reply") {
      ok = TakeCount(arguments, &i, 1, kMaxShortReply, &f.short_reply);
    } else {
      *problem = "Unknown option for serve\n";
      return false;
    }
    if (!ok) {
      *problem = "An option of serve has no value or a wrong one\n";
      return false;
    }
  }
  if (options->store.empty() || options->listen.empty()) {
    *problem = "serve needs --store DIR and at least one --listen ADDR:PORT\n";
    return false;
  }
  return true;
}

}  // namespace scalesim
