// ExecFile's work: splitting the command into a file and its parameters, and starting it
// the way the desktop would, as a child process and never through a shell.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korvo::platform {

struct ExecCommand {
  std::string file;
  std::string parameters;
};

// The file (quoted or up to the first space) and the trimmed parameters; none when empty.
std::optional<ExecCommand> splitExecCommand(const std::string& command);

// The parameters as separate arguments: split at spaces, double quotes group.
std::vector<std::string> splitParameters(const std::string& parameters);

// Runs an executable file with the parameters, or opens anything else with the desktop's
// opener (KORVO_OPENER, else xdg-open); true when a child process started.
bool startDetached(const ExecCommand& command);

}  // namespace korvo::platform
