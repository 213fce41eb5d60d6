// POSIX implementation of platform/process.h with posix_spawn.
#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace platform {

bool RunProgramAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& directory) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  if (posix_spawn_file_actions_addchdir_np(&actions, directory.c_str()) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return false;
  }
  pid_t pid;
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) break;
  }
  return true;
}

std::string ProgramFileName(const std::string& base_name) { return base_name; }

}  // namespace platform
