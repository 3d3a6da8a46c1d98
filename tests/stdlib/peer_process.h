// A Korvo program run by korvo-run in a process of its own, headless, with its log lines
// (debug mode) and error messages read as they come; for tests of several processes.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace korvo::testing {

class PeerProcess {
 public:
  // Starts korvo-run on module with the command line and extra environment variables.
  PeerProcess(const std::string& module, const std::string& commandLine,
              const std::map<std::string, std::string>& environment);
  // Kills the process if it still runs.
  ~PeerProcess();
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  // Waits up to limitMs of real time for the line; false when it did not come.
  bool waitFor(const std::string& line, int limitMs = 30000);
  // Waits for the process to end; its exit status, or -1 when it had to be killed.
  int finish(int limitMs = 60000);
  void kill();
  // Stops the process where it stands, as a program busy elsewhere reads nothing, and lets
  // it go on.
  void pause();
  void resume();
  const std::vector<std::string>& lines() const { return lines_; }
  // Every line read so far, one after the other.
  std::string transcript() const;

 private:
  // Reads what is there, waiting up to ms; false at the end of the output.
  bool read(int ms);

  pid_t pid_ = -1;
  int output_ = -1;
  std::string partial_;
  std::vector<std::string> lines_;
};

}  // namespace korvo::testing
