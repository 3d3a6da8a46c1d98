// Debug hooks that record what the runtime tells them.
#pragma once

#include <string>
#include <vector>

#include "base/debug_hooks.h"

namespace korvo::testing {

class RecordingHooks : public DebugHooks {
 public:
  void suspended() override { events.push_back("suspended"); }
  void resumed() override { events.push_back("resumed"); }
  void log(const char* text) override { logs.push_back(text); }
  void message(const char* text, bool serious) override { messages.push_back(std::string(serious ? "!" : "") + text); }
  std::vector<std::string> events;
  std::vector<std::string> logs;
  std::vector<std::string> messages;
};

}  // namespace korvo::testing
