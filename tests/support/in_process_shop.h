// A shop whose two programs run inside the test's own process, on a
// FaultEnv: the converter, and the transfer program it starts, which runs
// in the same process too. Their messages go to one StringSink, in the order
// they were written, as on one console. The scale is the emulator on the
// test's own loopback address in DHCP mode: the scale identifier is that
// address, so no name is looked up, and scale N of the store is the one on
// port 2000 + N, N being the address's last number.
//
// It is the same on Linux and Windows: the Windows test under wine has the
// Linux emulator too (see scale_sim.h).
//
// The working folder is the process's current folder while the shop lives;
// the program folder holds what the converter takes from beside itself.
#pragma once

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "support/fault_env.h"
#include "support/scale_sim.h"
#include "support/test_support.h"

namespace testing_support {

struct InProcessRun {
  int status = 0;  // the exit code as the system gives it: 0..255
  std::string out;
  std::string err;
};

class InProcessShop {
 public:
  InProcessShop();
  ~InProcessShop();
  InProcessShop(const InProcessShop&) = delete;
  InProcessShop& operator=(const InProcessShop&) = delete;

  FaultEnv& env() { return env_; }
  // The scale identifier: the test's loopback address.
  const std::string& scale() const { return address_; }
  int port() const { return port_; }

  std::string File(const std::string& name) const { return work_ + "/" + name; }
  std::string ProgramFile(const std::string& name) const { return program_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const { return ReadFile(File(name)); }
  bool Has(const std::string& name) const { return Exists(File(name)); }
  // The converter's name of one of the scale's files: "qs" + scale + part.
  std::string ScaleFile(const std::string& part) const { return "qs" + address_ + part; }

  // Seeds the scale's tables ("CC HEX" lines) before it starts.
  void SeedScale(const std::string& table_text) const;
  bool StartScale(const std::vector<std::string>& faults = {});
  bool StopScale() { return sim_.Stop(); }
  // The records of one file code ("25", "2E") the scale holds once stopped.
  std::vector<std::string> Held(const std::string& code) const;
  std::string ScaleLog() const { return sim_.Log(); }

  // Runs a program in this process; extra variables ("NAME=value") are set
  // for the run.
  InProcessRun Converter(const std::vector<std::string>& arguments);
  InProcessRun Transfer(const std::vector<std::string>& arguments);

 private:
  std::string ScaleFolder() const;

  TempDir root_;
  std::string program_;
  std::string work_;
  std::string address_;
  int port_ = 0;
  std::string previous_folder_;
  FaultEnv env_;
  common::StringSink* sink_ = nullptr;  // of the run under way
  ScaleSim sim_;
};

}  // namespace testing_support
