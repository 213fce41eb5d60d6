#include "transfer/run_settings.h"

#include "platform/environment.h"

namespace transfer {
namespace {

const char kModeVariable[] = "XFLTCPMODE";
const char kReplyWaitVariable[] = "XFLTIMEOUT";
const char kDhcpValue[] = "DHCP";

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

TransferMode TransferModeFromValue(bool defined, const std::string& value) {
  if (!defined) return TransferMode::kScaleNumber;
  const std::string dhcp = kDhcpValue;
  if (value.size() != dhcp.size()) return TransferMode::kScaleNumber;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (UpperAscii(value[i]) != dhcp[i]) return TransferMode::kScaleNumber;
  }
  return TransferMode::kDhcp;
}

int ReplyWaitSecondsFromValue(bool defined, const std::string& value) {
  if (!defined || value.empty()) return kDefaultReplyWaitSeconds;
  int seconds = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return kDefaultReplyWaitSeconds;
    seconds = seconds * 10 + (c - '0');
    if (seconds > kMaxReplyWaitSeconds) return kDefaultReplyWaitSeconds;
  }
  if (seconds < kMinReplyWaitSeconds) return kDefaultReplyWaitSeconds;
  return seconds;
}

RunSettings ReadRunSettings() {
  RunSettings settings;
  std::string value;
  bool defined = platform::FindEnvironmentVariable(kModeVariable, &value);
  settings.mode = TransferModeFromValue(defined, value);
  value.clear();
  defined = platform::FindEnvironmentVariable(kReplyWaitVariable, &value);
  settings.reply_wait_ms = ReplyWaitSecondsFromValue(defined, value) * 1000;
  return settings;
}

}  // namespace transfer
