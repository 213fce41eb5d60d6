// The parts of scale_sim.h that are the same on every platform; how the
// emulator is started and stopped is in scale_sim_posix.cpp and
// scale_sim_win32.cpp.
#include "support/scale_sim.h"

#include "support/test_support.h"

namespace testing_support {

std::vector<std::string> ScaleSim::ServeArguments(const std::string& store, const std::vector<std::string>& listen,
                                                  const std::string& ready, const std::string& log,
                                                  const std::vector<std::string>& extra_arguments) {
  std::vector<std::string> args = {"serve", "--store", store};
  for (const std::string& l : listen) {
    args.push_back("--listen");
    args.push_back(l);
  }
  args.insert(args.end(), {"--ready", ready, "--log", log});
  args.insert(args.end(), extra_arguments.begin(), extra_arguments.end());
  return args;
}

std::string ScaleSim::Log() const { return ReadFile(log_path_); }

}  // namespace testing_support
