// RuntimeInterface: the process-wide object through which the entry point, or an external
// driver, reaches the runtime.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "startup/command_table.h"
#include "base/debug_hooks.h"
#include "startup/runtime_modules.h"

namespace korvo {

using ProgramMain = void (*)();

// Operations in slot order.
class RuntimeInterface {
 public:
  virtual ~RuntimeInterface() = default;
  virtual int version();                                                                  // 0
  virtual const char* nextSymbol();                                                       // 1
  virtual std::intptr_t symbolAddress(const char* name);                                  // 2
  virtual void startUp(void* instance);                                                   // 3
  virtual void shutDown();                                                                // 4
  virtual void requestSuspend();                                                          // 5
  virtual void requestResume();                                                           // 6
  virtual void requestEnd();                                                              // 7
  virtual void reportMemory(void* stream);                                                // 8
  virtual void runProgram(ProgramMain main, const char* commandLine, DebugHooks* hooks);  // 9

  void* instance() const { return instance_; }
  // True when the last runProgram ended in a runtime error, a fault or a module that could
  // not start (not a slot: the entry point turns it into the exit status).
  bool lastRunFailed() const { return lastRunFailed_; }

 private:
  CommandTable table_;
  void* instance_ = nullptr;
  bool lastRunFailed_ = false;
};

// The parameters of a process command line: what follows the (possibly quoted) program path.
std::string splitCommandLine(const std::string& line);

// The command line rebuilt from argv: argv[0] quoted when it holds a space, the arguments
// joined by single spaces.
std::string commandLineFromArgv(int argc, const char* const* argv);

// Runs main on a host with the given modules (the runtime's own, or a test's); returns
// the result text: null when the program ended normally or quietly.
const char* runOnModules(ProgramMain main, const std::string& commandLine, DebugHooks* hooks,
                         std::span<const RuntimeModule> modules);

}  // namespace korvo

extern "C" {
// Never fails; always the same object.
korvo::RuntimeInterface* runtimeGetRuntime();
}
