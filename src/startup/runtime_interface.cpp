// RuntimeInterface slots and runProgram: hooks, floating-point environment, the host, the
// modules in order, the main code, and teardown in reverse order.
#include "startup/runtime_interface.h"

#include <fenv.h>

#include <vector>

#include "startup/backend_tables.h"
#include "startup/fatal_translation.h"
#include "base/run_loop_jump.h"
#include "host/runtime_host.h"
#include "startup/standard_hooks.h"

namespace korvo {
namespace {

using platform::RuntimeHost;

DefaultDebugHooks& defaultHooks() {
  static DefaultDebugHooks hooks;
  return hooks;
}

std::string trimSpaces(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// Calls main inside the run loop's jump target; returns the KvEx message or null.
const char* callMain(RuntimeHost& host, ProgramMain main) {
  RunLoopJump& jump = runLoopJump();
  const char* result = nullptr;
  if (sigsetjmp(jump.target, 1) == 0) {
    jump.armed = true;
    try {
      if (!host.idle()) endQuietly();
      main();
      host.message("Program has ended");
    } catch (const KvEx& e) {
      result = e.message;
    }
  } else {
    // A fault jumps here straight from its signal handler; the hooks hear of it now, on
    // the program's own stack, before anything is torn down. The jump is disarmed first:
    // a fault while reporting must not land here again, round and round.
    jump.armed = false;
    result = jump.message;
    const bool unreported = jump.unreported;
    jump.unreported = false;
    if (unreported) reportError(result);
  }
  jump.armed = false;
  return result;
}

const char* runOnHost(RuntimeHost& host, ProgramMain main, std::span<const RuntimeModule> modules) {
  std::vector<const RuntimeModule*> created;
  for (const RuntimeModule& module : modules) {
    if (!module.create()) {
      host.message((std::string("Startup Error: ") + module.failureMessage).c_str());
      for (auto it = created.rbegin(); it != created.rend(); ++it) (*it)->destroy();
      return "Unable to start program";
    }
    created.push_back(&module);
  }
  setProgramEnd(ProgramEnd::kOrderly);
  const char* result = callMain(host, main);
  // The host stops running once it has handled an end request (the window's close).
  setProgramEnd(result ? ProgramEnd::kFailed : host.running() ? ProgramEnd::kOrderly : ProgramEnd::kInterrupted);
  for (auto it = created.rbegin(); it != created.rend(); ++it) (*it)->destroy();
  return result;
}

}  // namespace

const char* runOnModules(ProgramMain main, const std::string& commandLine, DebugHooks* hooks,
                         std::span<const RuntimeModule> modules) {
  DebugHooks* active = hooks ? hooks : &defaultHooks();
  FatalTranslation translation;
  fenv_t saved;
  feholdexcept(&saved);  // all exceptions masked, round to nearest
  fesetround(FE_TONEAREST);

  installBackends();
  const char* result = nullptr;
  RuntimeHost* host = RuntimeHost::create(trimSpaces(commandLine), active);
  if (host) {
    // Only a run that has its host decides the mode; a refused one leaves the running
    // program's mode alone.
    setDebugMode(hooks != nullptr);
    result = runOnHost(*host, main, modules);
    RuntimeHost::destroy(host);
  }
  fesetenv(&saved);
  return result;
}

int RuntimeInterface::version() { return 180; }
const char* RuntimeInterface::nextSymbol() { return table_.nextSymbol(); }
std::intptr_t RuntimeInterface::symbolAddress(const char* name) { return table_.symbolAddress(name); }
void RuntimeInterface::startUp(void* instance) { instance_ = instance; }
void RuntimeInterface::shutDown() { table_.clear(); }

void RuntimeInterface::requestSuspend() { RuntimeHost::postToCurrent(platform::kSuspendRequest); }
void RuntimeInterface::requestResume() { RuntimeHost::postToCurrent(platform::kResumeRequest); }
void RuntimeInterface::requestEnd() { RuntimeHost::postToCurrent(platform::kEndRequest); }
void RuntimeInterface::reportMemory(void*) {}

void RuntimeInterface::runProgram(ProgramMain main, const char* commandLine, DebugHooks* hooks) {
  lastRunFailed_ = runOnModules(main, commandLine ? commandLine : "", hooks, runtimeModules()) != nullptr;
}

}  // namespace korvo

extern "C" korvo::RuntimeInterface* runtimeGetRuntime() {
  static korvo::RuntimeInterface runtime;
  return &runtime;
}
