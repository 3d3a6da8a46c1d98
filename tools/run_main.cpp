// korvo-run [--debug] MODULE.kvm [ARGS...]: runs a module image from a file the way the
// built-in entry point runs resource 1111, with ARGS as the program's command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "startup/program_launch.h"
#include "startup/runtime_interface.h"
#include "startup/standard_hooks.h"

namespace {

// The bytes of the module file; none when it cannot be read (said on standard error), which
// ends the run as a missing module does.
std::optional<std::vector<std::uint8_t>> readModuleFile(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    std::fprintf(stderr, "korvo-run: %s is a folder, not a module file\n", path.c_str());
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "korvo-run: cannot read %s: %s\n", path.c_str(),
                 errno == ENOENT ? "no such file" : std::strerror(errno));
    return std::nullopt;
  }
  try {
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    return std::nullopt;  // a read error part way
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvo;
  int at = 1;
  DebugHooks* hooks = hooksFromEnvironment();
  static ConsoleDebugHooks console;
  if (at < argc && std::strcmp(argv[at], "--debug") == 0) {
    hooks = &console;
    ++at;
  }
  if (at >= argc) {
    std::fprintf(stderr, "usage: korvo-run [--debug] MODULE.kvm [ARGS...]\n");
    return 2;
  }
  const std::string path = argv[at++];
  std::string parameters;
  for (; at < argc; ++at) {
    if (!parameters.empty()) parameters += ' ';
    parameters += argv[at];
  }
  launchProgram(
      *runtimeGetRuntime(), [&] { return readModuleFile(path); }, parameters, hooks);
}
