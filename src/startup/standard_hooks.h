// The hooks a program runs with when no debugger gives its own: the default ones, which show
// a fatal error in a message box, and console ones for debugging from a terminal.
#pragma once

#include "base/debug_hooks.h"

namespace korvo {

// Shows serious messages in a box captioned "Error!"; everything else does nothing.
class DefaultDebugHooks : public DebugHooks {
 public:
  void message(const char* text, bool serious) override;
};

// For debugging from a terminal: log lines to standard output, messages to standard error.
class ConsoleDebugHooks : public DebugHooks {
 public:
  void log(const char* text) override;
  void message(const char* text, bool serious) override;
};

}  // namespace korvo
