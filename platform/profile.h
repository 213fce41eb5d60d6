// Profile files (INI format), read the way the shop PC's system reads them:
// section and key names compare ignoring case; only the first section of a
// name, and the first key of a name in it, count; blanks around names and
// values are removed; a value in matching double or single quotes loses
// them; a line whose first non-blank character is ';' is a comment; there
// are no inline comments; a UTF-8 byte-order mark is skipped; a CR before
// the LF is ignored.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

struct Profile {
  std::string path;      // the file read
  std::string contents;  // its bytes
};

// Reads the whole profile file. False if it cannot be read.
bool LoadProfile(const std::string& path, Profile* profile);

// The key's value, cut to max_length characters. found tells whether the key
// exists in the section.
std::string ProfileString(const Profile& profile, const char* section, const char* key,
                          std::size_t max_length, bool* found = nullptr);

// The key's value as an integer: a missing key or an empty value gives
// default_value; otherwise optional blanks, an optional sign and decimal
// digits, stopping at the first other character; no digits give 0.
int ProfileInt(const Profile& profile, const char* section, const char* key, int default_value);

}  // namespace platform
