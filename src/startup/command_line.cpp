// Splitting the process command line into the program's parameters.
#include <string>

#include "startup/runtime_interface.h"

namespace korvo {

std::string splitCommandLine(const std::string& line) {
  const auto start = line.find_first_not_of(' ');
  if (start == std::string::npos) return "";
  const std::string rest = line.substr(start);
  if (rest[0] == '"') {
    const auto close = rest.find('"', 1);
    return close == std::string::npos ? "" : rest.substr(close + 1);
  }
  const auto space = rest.find(' ');
  return space == std::string::npos ? "" : rest.substr(space + 1);
}

std::string commandLineFromArgv(int argc, const char* const* argv) {
  std::string line;
  if (argc > 0) {
    const std::string program = argv[0];
    line = program.find(' ') == std::string::npos ? program : "\"" + program + "\"";
  }
  for (int i = 1; i < argc; ++i) {
    line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace korvo
