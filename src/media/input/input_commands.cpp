// The input commands over the process's InputSystem.
#include "media/input/input_commands.h"

#include <algorithm>
#include <climits>

#include "base/kv_ex.h"
#include "host/runtime_host.h"
#include "media/input/input_system.h"

namespace korvo::platform {
namespace {

// What the input commands work on: the process's input system (while the input module
// lives) and the values the three speed commands reported last.
struct CommandInput {
  InputSystem* system = nullptr;
  std::int32_t lastX = 0, lastY = 0, lastZ = 0;
};
CommandInput gCommand;

InputSystem* input() { return gCommand.system; }

// The pause between two looks at a device while waiting for a press.
constexpr std::int32_t kWaitStepMs = 20;

// Waits for a press that accept() turns into a non-zero result; ends quietly when the
// program must stop.
template <typename Next>
std::int32_t waitFor(Next next) {
  RuntimeHost* host = RuntimeHost::current();
  while (host && host->idle()) {
    if (const std::int32_t result = next()) return result;
    if (!host->delay(kWaitStepMs)) break;
  }
  endQuietly();
}

float joyAxis(std::int32_t port, int axis) {
  JoystickDevice* j = input() ? input()->joystick(port) : nullptr;
  return j ? j->axis(axis) : 0.0f;
}

// The change from last to now, saturated: MoveMouse may have put last at an end of the range.
std::int32_t speed(std::int32_t now, std::int32_t& last) {
  const std::int64_t change = std::int64_t{now} - last;
  last = now;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(change, INT32_MIN, INT32_MAX));
}

std::int32_t direction(float value) {
  if (!(value >= -0.33333334f)) return -1;
  return value > 0.33333334f ? 1 : 0;
}

}  // namespace

void setCommandInput(InputSystem* system) { gCommand = CommandInput{system}; }

InputSystem* commandInput() { return input(); }

}  // namespace korvo::platform

namespace korvo::cmd {

using platform::gCommand;
using platform::input;
using platform::JoystickDevice;

std::int32_t KeyDown(std::int32_t key) { return input() && input()->keyboard().isDown(key) ? 1 : 0; }
std::int32_t KeyHit(std::int32_t key) { return input() ? input()->keyboard().hitCount(key) : 0; }
std::int32_t GetKey() { return input() ? input()->toChar(input()->keyboard().next()) : 0; }

std::int32_t WaitKey() {
  return platform::waitFor([] {
    if (!input()) return 0;
    const std::int32_t k = input()->keyboard().next();
    return k ? input()->toChar(k) : 0;
  });
}

void FlushKeys() {
  if (input()) input()->keyboard().flush();
}

std::int32_t MouseDown(std::int32_t button) { return input() && input()->mouse().isDown(button) ? 1 : 0; }
std::int32_t MouseHit(std::int32_t button) { return input() ? input()->mouse().hitCount(button) : 0; }
std::int32_t GetMouse() { return input() ? input()->mouse().next() : 0; }

std::int32_t WaitMouse() {
  return platform::waitFor([] { return input() ? input()->mouse().next() : 0; });
}
std::int32_t MouseWait() { return WaitMouse(); }

std::int32_t MouseX() { return input() ? platform::truncatedAxis(input()->mouse().axis(0)) : 0; }
std::int32_t MouseY() { return input() ? platform::truncatedAxis(input()->mouse().axis(1)) : 0; }
std::int32_t MouseZ() {
  // One wheel notch of 120 units counts 1.
  return input() ? platform::truncatedAxis(input()->mouse().axis(2) * 0.008333334f) : 0;
}

std::int32_t MouseXSpeed() { return platform::speed(MouseX(), gCommand.lastX); }

std::int32_t MouseYSpeed() { return platform::speed(MouseY(), gCommand.lastY); }

std::int32_t MouseZSpeed() { return platform::speed(MouseZ(), gCommand.lastZ); }

void FlushMouse() {
  if (input()) input()->mouse().flush();
}

void MoveMouse(std::int32_t x, std::int32_t y) {
  gCommand.lastX = x;
  gCommand.lastY = y;
  if (input()) input()->moveMouse(x, y);
}

std::int32_t JoyType(std::int32_t port) { return input() ? input()->joystickType(port) : 0; }

std::int32_t JoyDown(std::int32_t button, std::int32_t port) {
  JoystickDevice* j = input() ? input()->joystick(port) : nullptr;
  return j && j->isDown(button) ? 1 : 0;
}

std::int32_t JoyHit(std::int32_t button, std::int32_t port) {
  JoystickDevice* j = input() ? input()->joystick(port) : nullptr;
  return j ? j->hitCount(button) : 0;
}

std::int32_t GetJoy(std::int32_t port) {
  JoystickDevice* j = input() ? input()->joystick(port) : nullptr;
  return j ? j->next() : 0;
}

std::int32_t WaitJoy(std::int32_t port) {
  JoystickDevice* j = input() ? input()->joystick(port) : nullptr;
  if (!j) return 0;
  return platform::waitFor([j] { return j->next(); });
}
std::int32_t JoyWait(std::int32_t port) { return WaitJoy(port); }

float JoyX(std::int32_t port) { return platform::joyAxis(port, JoystickDevice::kX); }
float JoyY(std::int32_t port) { return platform::joyAxis(port, JoystickDevice::kY); }
float JoyZ(std::int32_t port) { return platform::joyAxis(port, JoystickDevice::kZ); }
float JoyU(std::int32_t port) { return platform::joyAxis(port, JoystickDevice::kU); }
float JoyV(std::int32_t port) { return platform::joyAxis(port, JoystickDevice::kV); }
float JoyPitch(std::int32_t port) { return platform::joyAxis(port, JoystickDevice::kPitch) * 180.0f; }
float JoyYaw(std::int32_t port) { return platform::joyAxis(port, JoystickDevice::kYaw) * 180.0f; }
float JoyRoll(std::int32_t port) { return platform::joyAxis(port, JoystickDevice::kRoll) * 180.0f; }

std::int32_t JoyHat(std::int32_t port) {
  JoystickDevice* j = input() ? input()->joystick(port) : nullptr;
  return j ? static_cast<std::int32_t>(j->axis(JoystickDevice::kHat)) : 0;
}

std::int32_t JoyXDir(std::int32_t port) { return platform::direction(JoyX(port)); }
std::int32_t JoyYDir(std::int32_t port) { return platform::direction(JoyY(port)); }
std::int32_t JoyZDir(std::int32_t port) { return platform::direction(JoyZ(port)); }
std::int32_t JoyUDir(std::int32_t port) { return platform::direction(JoyU(port)); }
std::int32_t JoyVDir(std::int32_t port) { return platform::direction(JoyV(port)); }

void FlushJoy() {
  if (!input()) return;
  for (std::int32_t n = 0; n < input()->joystickCount(); ++n) input()->joystick(n)->flush();
}

void EnableDirectInput(std::int32_t enable) {
  if (input()) input()->enableDirectInput(enable != 0);
}

std::int32_t DirectInputEnabled() { return input() && input()->directInputEnabled() ? 1 : 0; }

}  // namespace korvo::cmd
