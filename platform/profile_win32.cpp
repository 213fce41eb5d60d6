// Win32 implementation of platform/profile.h: the system's own profile
// functions read the file, so their rules are those of the system.
#include "platform/profile.h"

#include "platform/windows_headers_win32.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {

// The profile functions read the file themselves, each time; only its full
// path is kept, and none while no file has been loaded.
struct Profile::State {
  std::string path;
};

Profile::Profile() : state_(std::make_unique<State>()) {}
Profile::~Profile() = default;

namespace {

// The key names of a section come back in one buffer; a larger section is
// read again into a larger buffer, up to this size.
constexpr DWORD kFirstKeyListBytes = 4096;
constexpr DWORD kLargestKeyListBytes = 1 << 20;

bool SameKey(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 'a' + 'A') : *a;
    char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 'a' + 'A') : *b;
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

// The names in a double-zero-ended list that a profile function fills:
// the key names of a section (section given) or the section names (none).
std::vector<std::string> NameList(const std::string& path, const char* section) {
  std::vector<std::string> list;
  for (DWORD size = kFirstKeyListBytes; size <= kLargestKeyListBytes; size *= 2) {
    std::vector<char> names(size);
    DWORD length = section != nullptr
                       ? GetPrivateProfileStringA(section, nullptr, "", names.data(), size, path.c_str())
                       : GetPrivateProfileSectionNamesA(names.data(), size, path.c_str());
    if (length + 2 >= size && size < kLargestKeyListBytes) continue;  // cut short: read again
    for (const char* name = names.data(); *name != '\0' && name < names.data() + length; name += std::strlen(name) + 1) {
      list.push_back(name);
    }
    return list;
  }
  return list;
}

bool KeyExists(const std::string& path, const char* section, const char* key) {
  for (const std::string& name : NameList(path, section)) {
    if (SameKey(name.c_str(), key)) return true;
  }
  return false;
}

}  // namespace

bool LoadProfile(const std::string& path, Profile* profile) {
  // The profile functions look for a name without a folder in the Windows
  // folder; the full path keeps them on this file.
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  std::string full_path = length > 0 && length < MAX_PATH ? std::string(full, length) : path;
  // The profile functions read the file themselves; here it only has to be
  // readable.
  profile->state_->path.clear();
  FILE* f = std::fopen(full_path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  profile->state_->path = full_path;
  return true;
}

std::string ProfileString(const Profile& profile, const char* section, const char* key,
                          std::size_t max_length, bool* found) {
  const std::string& path = profile.state_->path;
  if (found != nullptr) *found = !path.empty() && KeyExists(path, section, key);
  if (path.empty()) return std::string();
  std::vector<char> value(max_length + 1);
  DWORD length = GetPrivateProfileStringA(section, key, "", value.data(), static_cast<DWORD>(value.size()),
                                          path.c_str());
  return std::string(value.data(), length);
}

int ProfileInt(const Profile& profile, const char* section, const char* key, int default_value) {
  const std::string& path = profile.state_->path;
  if (path.empty()) return default_value;
  return static_cast<int>(GetPrivateProfileIntA(section, key, default_value, path.c_str()));
}

bool ProfileKeys(const Profile& profile, const char* section, std::vector<std::string>* keys) {
  keys->clear();
  const std::string& path = profile.state_->path;
  if (path.empty()) return false;
  bool section_found = false;
  for (const std::string& name : NameList(path, nullptr)) {
    if (SameKey(name.c_str(), section)) section_found = true;
  }
  if (section_found) *keys = NameList(path, section);
  return section_found;
}

}  // namespace platform
