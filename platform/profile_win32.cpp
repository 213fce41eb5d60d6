// Win32 implementation of platform/profile.h: the system's own profile
// functions read the file, so their rules are those of the system.
#include "platform/profile.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {
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

bool KeyExists(const Profile& profile, const char* section, const char* key) {
  for (DWORD size = kFirstKeyListBytes; size <= kLargestKeyListBytes; size *= 2) {
    std::vector<char> names(size);
    DWORD length = GetPrivateProfileStringA(section, nullptr, "", names.data(), size, profile.path.c_str());
    if (length + 2 >= size && size < kLargestKeyListBytes) continue;  // cut short: read again
    for (const char* name = names.data(); *name != '\0' && name < names.data() + length; name += std::strlen(name) + 1) {
      if (SameKey(name, key)) return true;
    }
    return false;
  }
  return false;
}

}  // namespace

bool LoadProfile(const std::string& path, Profile* profile) {
  // The profile functions look for a name without a folder in the Windows
  // folder; the full path keeps them on this file.
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  profile->path = length > 0 && length < MAX_PATH ? std::string(full, length) : path;
  // The profile functions read the file themselves; here it only has to be
  // readable.
  profile->contents.clear();
  FILE* f = std::fopen(profile->path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

std::string ProfileString(const Profile& profile, const char* section, const char* key,
                          std::size_t max_length, bool* found) {
  if (found != nullptr) *found = KeyExists(profile, section, key);
  std::vector<char> value(max_length + 1);
  DWORD length = GetPrivateProfileStringA(section, key, "", value.data(), static_cast<DWORD>(value.size()),
                                          profile.path.c_str());
  return std::string(value.data(), length);
}

int ProfileInt(const Profile& profile, const char* section, const char* key, int default_value) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, default_value, profile.path.c_str()));
}

}  // namespace platform
