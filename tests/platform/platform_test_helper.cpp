// The program the platform contract tests start. The first argument says
// what to do:
//   arguments FILE [ARG...]  writes each ARG, each ended by a zero byte, to FILE
//   exit N                   ends with exit status N
//   touch NAME               creates the empty file NAME in its current folder
//   variable NAME FILE       writes the value of the environment variable NAME
//                            (or "<none>") to FILE
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/environment.h"

namespace {

bool WriteText(const char* path, const std::string& text) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "arguments" && argc > 2) {
    std::string text;
    for (int i = 3; i < argc; ++i) text.append(argv[i], std::strlen(argv[i]) + 1);
    return WriteText(argv[2], text) ? 0 : 1;
  }
  if (command == "exit" && argc == 3) return std::atoi(argv[2]);
  if (command == "touch" && argc == 3) return WriteText(argv[2], "") ? 0 : 1;
  if (command == "variable" && argc == 4) {
    std::string value;
    if (!platform::FindEnvironmentVariable(argv[2], &value)) value = "<none>";
    return WriteText(argv[3], value) ? 0 : 1;
  }
  std::fprintf(stderr, "platform_test_helper: unknown command\n");
  return 2;
}
