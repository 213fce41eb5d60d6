// POSIX implementation of platform/profile.h: a reader with the semantics of
// the shop PC's profile functions.
#include "platform/profile.h"


#include <cerrno>
#include <climits>
#include <cstdio>
#include <memory>

#include "base/ascii_case.h"
#include "base/decimal_text.h"

namespace platform {

// The file's bytes; the reader below goes through them for every key.
struct Profile::State {
  std::string contents;
};

Profile::Profile() : state_(std::make_unique<State>()) {}
Profile::~Profile() = default;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
  std::string::size_type begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool SameName(const std::string& a, const char* b) { return base::EqualsIgnoringCase(a, b); }

// Walks the keys of the first section of that name in file order, calling
// visit(name, value) until it returns false. False if the section is not
// there.
template <typename Visit>
bool WalkSection(const std::string& text, const char* section, Visit visit) {
  std::string::size_type pos = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  bool seen_section = false;  // the first section of this name has begun
  bool in_section = false;
  while (pos < text.size()) {
    std::string::size_type end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (in_section) return true;  // only the first section of the name counts
      std::string::size_type close = line.find(']');
      std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      in_section = !seen_section && SameName(name, section);
      seen_section = seen_section || in_section;
      continue;
    }
    if (!in_section) continue;
    std::string::size_type equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string v = Trim(line.substr(equals + 1));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
    if (!visit(Trim(line.substr(0, equals)), v)) return true;
  }
  return seen_section;
}

// Finds the raw value of section/key; false if the key is not there.
bool FindValue(const std::string& text, const char* section, const char* key, std::string* value) {
  bool found = false;
  WalkSection(text, section, [&](const std::string& name, const std::string& v) {
    if (!SameName(name, key)) return true;
    *value = v;
    found = true;
    return false;
  });
  return found;
}

}  // namespace

bool LoadProfile(const std::string& path, Profile* profile) {
  std::string& contents = profile->state_->contents;
  contents.clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) contents.append(buffer, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) contents.clear();
  return ok;
}

std::string ProfileString(const Profile& profile, const char* section, const char* key,
                          std::size_t max_length, bool* found) {
  std::string value;
  bool present = FindValue(profile.state_->contents, section, key, &value);
  if (found != nullptr) *found = present;
  if (value.size() > max_length) value.resize(max_length);
  return value;
}

int ProfileInt(const Profile& profile, const char* section, const char* key, int default_value) {
  std::string value;
  if (!FindValue(profile.state_->contents, section, key, &value) || value.empty()) return default_value;
  // No digits give 0; a number beyond the range of int stays at its end.
  const long long result = base::ScanDecimal(value).value;
  if (result > INT_MAX) return INT_MAX;
  if (result < INT_MIN) return INT_MIN;
  return static_cast<int>(result);
}

bool ProfileKeys(const Profile& profile, const char* section, std::vector<std::string>* keys) {
  keys->clear();
  return WalkSection(profile.state_->contents, section, [&](const std::string& name, const std::string&) {
    keys->push_back(name);
    return true;
  });
}

}  // namespace platform
