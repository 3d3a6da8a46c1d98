// The interface through which a debugger (or the default hooks) follows a program.
#pragma once

#include <cstdint>

namespace korvo {

// Operations in slot order; the runtime only calls them.
class DebugHooks {
 public:
  virtual ~DebugHooks() = default;
  virtual void resumed() {}                                              // slot 0
  virtual void suspended() {}                                            // slot 1
  virtual void statement(std::int32_t a, std::int32_t b) {}              // slot 2
  virtual void enter(std::int32_t a, std::int32_t b, std::int32_t c) {}  // slot 3
  virtual void leave() {}                                                // slot 4
  virtual void log(const char* text) {}                                  // slot 5
  virtual void message(const char* text, bool serious) {}                // slot 6
  virtual void reserved(std::int32_t value) {}                           // slot 7, never called
};

}  // namespace korvo
