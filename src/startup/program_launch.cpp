// launchProgram and the exported entry point.
#include "startup/program_launch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_map>

#include "base/error_detail.h"
#include "startup/backend_tables.h"
#include "startup/command_table.h"
#include "startup/module_linker.h"
#include "startup/runtime_interface.h"
#include "startup/standard_hooks.h"
#include "backend/message_box.h"
#include "backend/resources.h"

namespace korvo {
namespace {

constexpr std::uint32_t kModuleResource = 1111;
constexpr int kExitFailed = 1;
constexpr int kExitUnusableInput = 2;

// A box with no caption and an OK button, then the end of the process. No window exists yet:
// with a display the box is SDL's own, else the text goes to standard error.
[[noreturn]] void failStartUp(const LinkFailure& failure) {
  platform::showMessageBox({"", failure.message, platform::BoxButtons::kOk, platform::BoxIcon::kNone});
  std::exit(failure.exitCode);
}

// Registered addresses and the names programs know them by, for naming the command that
// raised a runtime error.
std::unordered_map<const void*, std::string>& commandNames() {
  static std::unordered_map<const void*, std::string> names;
  return names;
}

void writeDetailLine(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

std::string commandNameAt(const void* entry) {
  const auto it = commandNames().find(entry);
  return it == commandNames().end() ? std::string() : it->second;
}

// The console hooks get the details the hooks' texts leave out (error_detail.h).
void turnOnErrorDetails(RuntimeInterface& runtime) {
  while (const char* text = runtime.nextSymbol())
    commandNames()[reinterpret_cast<const void*>(runtime.symbolAddress(text))] = commandName(text);
  setErrorDetailSinks({&writeDetailLine, &commandNameAt});
}

}  // namespace

void launchProgram(RuntimeInterface& runtime, const ImageLoader& load, const std::string& parameters,
                   DebugHooks* hooks) {
  installBackends();
  if (!inputScriptUsable()) std::exit(kExitUnusableInput);
  runtime.startUp(nullptr);
  const SymbolMap runtimeMap = buildRuntimeMap(runtime);
  if (dynamic_cast<ConsoleDebugHooks*>(hooks)) turnOnErrorDetails(runtime);
  const std::optional<std::vector<std::uint8_t>> image = load();
  if (!image) failStartUp({kUnableToRun, -1});
  LinkResult linked = linkModule(*image, runtimeMap);
  if (!linked.module) failStartUp(linked.failure);
  linked.module->keep();
  runtime.runProgram(linked.module->main(), parameters.c_str(), hooks);
  const bool failed = runtime.lastRunFailed();
  runtime.shutDown();
  std::exit(failed ? kExitFailed : 0);
}

DebugHooks* hooksFromEnvironment() {
  static ConsoleDebugHooks console;
  const char* debug = std::getenv("KORVO_DEBUG");
  return debug && std::strcmp(debug, "1") == 0 ? &console : nullptr;
}

std::string processCommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> args;
  for (std::size_t at = 0; at < raw.size();) {
    const std::size_t end = raw.find('\0', at);
    args.push_back(raw.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  std::vector<const char*> argv;
  argv.reserve(args.size());
  for (const std::string& a : args) argv.push_back(a.c_str());
  return commandLineFromArgv(static_cast<int>(argv.size()), argv.data());
}

}  // namespace korvo

extern "C" void kvWinMain() {
  using namespace korvo;
  launchProgram(
      *runtimeGetRuntime(), [] { return platform::loadResource(platform::kRawDataResource, kModuleResource); },
      splitCommandLine(processCommandLine()), hooksFromEnvironment());
}
