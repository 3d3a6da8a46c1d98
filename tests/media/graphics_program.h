// Runs a test body as a program on the graphics module (the headless display), the way
// start-up runs a program: errors end it and come back as its result text.
#pragma once

#include <functional>
#include <string>

#include "support/recording_hooks.h"
#include "startup/runtime_interface.h"
#include "backend/message_box.h"

namespace korvo::testing {

inline std::function<void()>& programBody() {
  static std::function<void()> body;
  return body;
}

inline void runProgramBody() { programBody()(); }

// Runs body with the graphics module, in debug mode when asked; returns its error text ("" for
// none). Message boxes are answered OK.
inline std::string runGraphicsProgram(std::function<void()> body, bool debug) {
  static const RuntimeModule kModules[] = {
      {"graphics", &createGraphicsModule, &destroyGraphicsModule, "graphics_create failed"},
  };
  programBody() = std::move(body);
  RecordingHooks hooks;
  platform::setMessageBoxPresenter([](const platform::MessageBoxRequest&) { return platform::BoxAnswer::kOk; });
  const char* result = runOnModules(&runProgramBody, "", debug ? &hooks : nullptr, kModules);
  platform::setMessageBoxPresenter(nullptr);
  return result ? result : "";
}

}  // namespace korvo::testing
