// InputSystem: the keyboard, the mouse and the joysticks of the process, the feed of
// window events into them, direct input in full screen, and key-to-character translation.
// The host owns it as its input subsystem and suspends and resumes it.
#pragma once

#include <memory>
#include <vector>

#include "host/runtime_host.h"
#include "media/input/devices.h"

namespace korvo::platform {

class InputSystem : public HostSubsystem {
 public:
  // Builds the devices and enumerates the joysticks of source once.
  InputSystem(InputHost& host, JoystickSource& joysticks);

  InputDevice& keyboard() { return keyboard_; }
  InputDevice& mouse() { return mouse_; }
  std::int32_t joystickCount() const { return static_cast<std::int32_t>(joysticks_.size()); }
  // The joystick at port n, or null when there is none.
  JoystickDevice* joystick(std::int32_t n);
  // 1 game controller, 2 other joystick, 0 no such port.
  std::int32_t joystickType(std::int32_t n);

  // Direct reading of keyboard and mouse: true when both are acquired.
  bool acquireAll();
  void releaseAll();
  // Clears every device's state.
  void resetAll();

  // Window feed. While the devices are read directly these go to the direct buffers.
  void keyDown(std::int32_t k);
  void keyUp(std::int32_t k);
  void mouseDown(std::int32_t b);
  void mouseUp(std::int32_t b);
  // Pointer moved to (x, y) in display pixels, by (dx, dy) since the last motion.
  void mouseMoved(std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy);
  // Wheel delta in wheel units (120 per notch).
  void addWheel(std::int32_t delta);

  // Sets mouse axes 0 and 1.
  void setMousePosition(std::int32_t x, std::int32_t y);
  // Sets the position and moves the system pointer there.
  void moveMouse(std::int32_t x, std::int32_t y);
  // The character of key k with the modifiers now held, or 0.
  std::int32_t toChar(std::int32_t k);

  bool directInputEnabled() const { return directInput_; }
  // Direct input is used only in full screen; switching resets every device.
  void enableDirectInput(bool enable);

  void suspend() override;
  void resume() override;

 private:
  bool direct() const { return keyboard_.acquired(); }

  InputHost& host_;
  DirectEvents directEvents_;
  KeyboardDevice keyboard_;
  MouseDevice mouse_;
  std::vector<std::unique_ptr<JoystickDevice>> joysticks_;
  bool directInput_ = false;
};

}  // namespace korvo::platform
