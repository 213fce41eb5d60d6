// Profile files (INI format), read the way the shop PC's system reads them:
// section and key names compare ignoring case; only the first section of a
// name, and the first key of a name in it, count; blanks around names and
// values are removed; a value in matching double or single quotes loses
// them; a line whose first non-blank character is ';' is a comment; there
// are no inline comments; a UTF-8 byte-order mark is skipped; a CR before
// the LF is ignored.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Profile;

// Reads the whole profile file into profile. False if it cannot be read.
bool LoadProfile(const std::string& path, Profile* profile);

// The key's value, cut to max_length characters. found tells whether the key
// exists in the section. A profile that was never loaded has no keys.
std::string ProfileString(const Profile& profile, const char* section, const char* key,
                          std::size_t max_length, bool* found = nullptr);

// The key's value as an integer: a missing key or an empty value gives
// default_value; otherwise optional blanks, an optional sign and decimal
// digits, stopping at the first other character; no digits give 0. A number
// beyond the range of int is the platform's own affair.
int ProfileInt(const Profile& profile, const char* section, const char* key, int default_value);

// The names of the keys of the section, as written, in the file's order.
// False if the file has no such section.
bool ProfileKeys(const Profile& profile, const char* section, std::vector<std::string>* keys);

// A profile file as LoadProfile leaves it. What it keeps of the file is the
// platform's own affair.
class Profile {
 public:
  Profile();
  ~Profile();
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;

 private:
  struct State;  // defined by each platform's implementation
  std::unique_ptr<State> state_;

  friend bool LoadProfile(const std::string& path, Profile* profile);
  friend std::string ProfileString(const Profile& profile, const char* section, const char* key,
                                   std::size_t max_length, bool* found);
  friend int ProfileInt(const Profile& profile, const char* section, const char* key, int default_value);
  friend bool ProfileKeys(const Profile& profile, const char* section, std::vector<std::string>* keys);
};

}  // namespace platform
