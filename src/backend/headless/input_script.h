// The headless input script: a text file of timed window events (keys, mouse, wheel,
// joysticks, close and focus) that drives a program without a person. The format is in the
// README ("Input scripts").
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "backend/window.h"

namespace korvo::platform {

// A scripted joystick change: an axis (0 X, 1 Y, 2 Z, 3 U, 4 V, 5 pitch, 6 yaw, 7 roll,
// 8 hat in degrees, negative when centred) or a button (1-31).
struct JoystickChange {
  std::int32_t port = 0;
  bool isAxis = true;
  std::int32_t index = 0;  // axis or button
  float value = 0.0f;      // axis value
  bool down = false;       // button held
};

// An event due at time milliseconds after the backend started: a window event, or a
// joystick change when joystick is set.
struct ScriptEvent {
  std::uint32_t time = 0;
  bool joystick = false;
  WindowEvent event;
  JoystickChange joy;
};

struct InputScript {
  std::vector<ScriptEvent> events;  // in time order (stable for equal times)
  std::string error;                // "line N: ..." when the text is not a valid script
};

// Parses a script; on the first bad line the result has no events and says why.
InputScript parseInputScript(std::istream& in);

}  // namespace korvo::platform
