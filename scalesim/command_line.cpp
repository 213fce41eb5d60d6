#include "scalesim/command_line.h"

#include "common/hex_text.h"
#include "scalesim/net.h"
#include "scalesim/protocol.h"
#include "scalesim/text_codes.h"

namespace scalesim {

const char kUsage[] =
    "Usage: scalesim serve --store DIR --listen ADDR:PORT [--listen ADDR:PORT ...] [--ready FILE]\n"
    "                      [--log FILE] [--stop-file FILE] [--idle-timeout SECONDS] [--refuse | --no-accept | --no-answer |\n"
    "                      --close-after N | --reset-after N | --delay-ms N | --reply HEX | --echo-key |\n"
    "                      --short-reply N | --split-reply MS | --records-per-reply N | --cycle-keys N |\n"
    "                      --new-keys | --alter-plu N | --drop-plu N | --nak N ... | --nak-keys]\n"
    "       scalesim show --store DIR [--scale N] [--codepage Win|Dos|ANSI:OEM]\n"
    "       scalesim sell --store DIR --scale N --count N --seed S\n";

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

// Which commands take an option.
constexpr unsigned kServe = 1;
constexpr unsigned kShow = 2;
constexpr unsigned kSell = 4;

unsigned Bit(Command command) {
  switch (command) {
    case Command::kServe: return kServe;
    case Command::kShow: return kShow;
    case Command::kSell: return kSell;
  }
  return 0;
}

bool ReadInt(const std::string& value, long long low, long long high, int* field) {
  long long number = 0;
  bool ok = ParseCount(value, low, high, &number);
  *field = static_cast<int>(number);
  return ok;
}

bool Set(bool* flag) {
  *flag = true;
  return true;
}

bool ReadText(const std::string& value, std::string* field) {
  *field = value;
  return !value.empty();
}

// "Win" and "Dos" stand for the PC's pair, read once the line is read;
// "ANSI:OEM" names a pair.
bool ReadCodePage(const std::string& value, Options* o) {
  if (value == "Win") {
    o->name_code_page = NameCodePage::kWin;
    return true;
  }
  if (value == "Dos") {
    o->name_code_page = NameCodePage::kDos;
    return true;
  }
  o->name_code_page = NameCodePage::kPair;
  return platform::ParseCodePagePair(value, &o->code_pages);
}

const char kListenProblem[] = "--listen needs ADDR:PORT with an IPv4 address and a port from 2000 to 2999\n";

struct Option {
  const char* name;
  unsigned commands;  // kServe, kShow, kSell
  bool takes_value;
  // Reads the value (empty for an option without one) into options; false
  // if the value is wrong.
  bool (*read)(const std::string& value, Options* options);
  // A message of its own for a missing or wrong value, else nullptr.
  const char* problem = nullptr;
};

const Option kOptions[] = {
    {"--store", kServe | kShow | kSell, true, [](const std::string& v, Options* o) { return ReadText(v, &o->store); }},
    {"--listen", kServe, true,
     [](const std::string& v, Options* o) {
       Endpoint endpoint;
       if (!ParseEndpoint(v, &endpoint)) return false;
       o->listen.push_back(endpoint);
       return true;
     },
     kListenProblem},
    {"--ready", kServe, true, [](const std::string& v, Options* o) { return ReadText(v, &o->ready_file); }},
    {"--log", kServe, true, [](const std::string& v, Options* o) { return ReadText(v, &o->log_file); }},
    {"--stop-file", kServe, true, [](const std::string& v, Options* o) { return ReadText(v, &o->stop_file); }},
    {"--idle-timeout", kServe, true,
     [](const std::string& v, Options* o) {
       return ReadInt(v, 0, kMaxIdleTimeoutSeconds, &o->idle_timeout_seconds);
     }},
    {"--refuse", kServe, false, [](const std::string&, Options* o) { return Set(&o->faults.refuse); }},
    {"--no-accept", kServe, false, [](const std::string&, Options* o) { return Set(&o->faults.no_accept); }},
    {"--no-answer", kServe, false, [](const std::string&, Options* o) { return Set(&o->faults.no_answer); }},
    {"--close-after", kServe, true,
     [](const std::string& v, Options* o) { return ReadInt(v, 1, kMaxRequestCount, &o->faults.close_after); }},
    {"--reset-after", kServe, true,
     [](const std::string& v, Options* o) { return ReadInt(v, 1, kMaxRequestCount, &o->faults.reset_after); }},
    {"--delay-ms", kServe, true,
     [](const std::string& v, Options* o) { return ReadInt(v, 0, kMaxDelayMs, &o->faults.delay_ms); }},
    {"--reply", kServe, true,
     [](const std::string& v, Options* o) {
       o->faults.fixed_reply = ParseHexBytes(v, &o->faults.reply_bytes);
       return o->faults.fixed_reply;
     }},
    {"--echo-key", kServe, false, [](const std::string&, Options* o) { return Set(&o->faults.echo_key); }},
    {"--short-reply", kServe, true,
     [](const std::string& v, Options* o) { return ReadInt(v, 1, kMaxShortReply, &o->faults.short_reply); }},
    {"--split-reply", kServe, true,
     [](const std::string& v, Options* o) {
       o->faults.split_reply = ReadInt(v, 0, kMaxDelayMs, &o->faults.split_pause_ms);
       return o->faults.split_reply;
     }},
    {"--records-per-reply", kServe, true,
     [](const std::string& v, Options* o) {
       return ReadInt(v, 1, kMaxRecordsPerReply, &o->faults.records_per_reply);
     }},
    {"--cycle-keys", kServe, true,
     [](const std::string& v, Options* o) { return ReadInt(v, 1, kMaxCycleKeys, &o->faults.cycle_keys); }},
    {"--new-keys", kServe, false, [](const std::string&, Options* o) { return Set(&o->faults.new_keys); }},
    {"--alter-plu", kServe, true,
     [](const std::string& v, Options* o) { return ReadInt(v, 1, kMaxRequestCount, &o->faults.alter_plu); }},
    {"--drop-plu", kServe, true,
     [](const std::string& v, Options* o) { return ReadInt(v, 1, kMaxRequestCount, &o->faults.drop_plu); }},
    {"--nak", kServe, true,
     [](const std::string& v, Options* o) {
       int request = 0;
       if (!ReadInt(v, 1, kMaxRequestCount, &request)) return false;
       o->faults.nak_requests.push_back(request);
       return true;
     }},
    {"--nak-keys", kServe, false, [](const std::string&, Options* o) { return Set(&o->faults.nak_keys); }},
    {"--scale", kShow | kSell, true, [](const std::string& v, Options* o) { return ReadInt(v, 0, kLastScale, &o->scale); }},
    {"--codepage", kShow, true, ReadCodePage},
    {"--count", kSell, true,
     [](const std::string& v, Options* o) { return ParseCount(v, 1, kMaxSalesPerRun, &o->count); }},
    {"--seed", kSell, true,
     [](const std::string& v, Options* o) {
       long long seed = 0;
       bool ok = ParseCount(v, 0, kMaxSeed, &seed);
       o->seed = static_cast<std::uint64_t>(seed);
       return ok;
     }},
};

// What each command says about its command line, and what it cannot do
// without.
struct CommandRules {
  const char* name;
  Command command;
  const char* unknown_option;
  const char* no_value;
  const char* wrong_value;
  const char* incomplete;
  bool (*complete)(const Options& options);
};

const CommandRules kCommands[] = {
    {"serve", Command::kServe, "Unknown option for serve\n", "An option of serve has no value or a wrong one\n",
     "An option of serve has no value or a wrong one\n",
     "serve needs --store DIR and at least one --listen ADDR:PORT\n",
     [](const Options& o) { return !o.store.empty() && !o.listen.empty(); }},
    {"show", Command::kShow, "Unknown option for show\n", "An option of show has no value\n",
     "An option of show has a wrong value\n", "show needs --store DIR\n",
     [](const Options& o) { return !o.store.empty(); }},
    {"sell", Command::kSell, "Unknown option for sell\n", "An option of sell has no value\n",
     "An option of sell has a wrong value\n", "sell needs --store DIR, --scale N and --count N\n",
     [](const Options& o) { return !o.store.empty() && o.scale >= 0 && o.count > 0; }},
};

const Option* FindOption(const std::string& name, Command command) {
  for (const Option& option : kOptions) {
    if (name == option.name && (option.commands & Bit(command)) != 0) return &option;
  }
  return nullptr;
}

// True if every option of the command takes a value (show, sell): then an
// option at the end of the line lacks its value, whatever its name.
bool EveryOptionTakesAValue(Command command) {
  for (const Option& option : kOptions) {
    if ((option.commands & Bit(command)) != 0 && !option.takes_value) return false;
  }
  return true;
}

const CommandRules& RulesOf(Command command) {
  for (const CommandRules& rules : kCommands) {
    if (rules.command == command) return rules;
  }
  return kCommands[0];
}

}  // namespace

bool FindCommand(const std::string& name, Command* command) {
  for (const CommandRules& rules : kCommands) {
    if (name == rules.name) {
      *command = rules.command;
      return true;
    }
  }
  return false;
}

bool ParseCommandLine(Command command, const std::vector<std::string>& arguments, Options* options,
                      std::string* problem) {
  const CommandRules& rules = RulesOf(command);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const Option* option = FindOption(arguments[i], command);
    bool value_follows = i + 1 < arguments.size();
    if (option == nullptr) {
      *problem = !value_follows && EveryOptionTakesAValue(command) ? rules.no_value : rules.unknown_option;
      return false;
    }
    if (option->takes_value && !value_follows) {
      *problem = option->problem != nullptr ? option->problem : rules.no_value;
      return false;
    }
    std::string value = option->takes_value ? arguments[++i] : std::string();
    if (!option->read(value, options)) {
      *problem = option->problem != nullptr ? option->problem : rules.wrong_value;
      return false;
    }
  }
  if (!rules.complete(*options)) {
    *problem = rules.incomplete;
    return false;
  }
  if (command == Command::kShow &&
      !BuildNameTable(options->name_code_page, options->code_pages, &options->names, problem)) {
    return false;
  }
  return true;
}

}  // namespace scalesim
