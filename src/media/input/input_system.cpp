// InputSystem: devices, the window feed, direct input and character translation.
#include "media/input/input_system.h"

#include "media/input/key_chars.h"

namespace korvo::platform {

InputSystem::InputSystem(InputHost& host, JoystickSource& joysticks)
    : host_(host), keyboard_(host, directEvents_), mouse_(host, directEvents_) {
  for (auto& port : joysticks.enumerate()) {
    joysticks_.push_back(std::make_unique<JoystickDevice>(host, std::move(port)));
  }
}

JoystickDevice* InputSystem::joystick(std::int32_t n) {
  return n >= 0 && n < joystickCount() ? joysticks_[n].get() : nullptr;
}

std::int32_t InputSystem::joystickType(std::int32_t n) {
  JoystickDevice* j = joystick(n);
  return j ? j->type() : 0;
}

bool InputSystem::acquireAll() {
  directEvents_.clear();
  const bool ok = host_.grabInput(true);
  keyboard_.setDirect(ok);
  mouse_.setDirect(ok);
  return ok;
}

void InputSystem::releaseAll() {
  if (direct()) host_.grabInput(false);
  keyboard_.setDirect(false);
  mouse_.setDirect(false);
  directEvents_.clear();
}

void InputSystem::resetAll() {
  mouse_.reset();
  keyboard_.reset();
  for (auto& j : joysticks_) j->reset();
}

void InputSystem::keyDown(std::int32_t k) {
  if (!direct()) {
    keyboard_.press(k);
  } else if (directEvents_.keyCount < DirectEvents::kKeyBuffer) {
    directEvents_.keys[directEvents_.keyCount++] = {k, true};
  }
}

void InputSystem::keyUp(std::int32_t k) {
  if (!direct()) {
    keyboard_.release(k);
  } else if (directEvents_.keyCount < DirectEvents::kKeyBuffer) {
    directEvents_.keys[directEvents_.keyCount++] = {k, false};
  }
}

void InputSystem::mouseDown(std::int32_t b) {
  if (!direct()) {
    mouse_.press(b);
  } else if (b >= 1 && b <= 3) {
    directEvents_.buttons[b - 1] = true;
  }
}

void InputSystem::mouseUp(std::int32_t b) {
  if (!direct()) {
    mouse_.release(b);
  } else if (b >= 1 && b <= 3) {
    directEvents_.buttons[b - 1] = false;
  }
}

void InputSystem::mouseMoved(std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy) {
  if (!direct()) {
    setMousePosition(x, y);
    return;
  }
  directEvents_.dx += dx;
  directEvents_.dy += dy;
}

void InputSystem::addWheel(std::int32_t delta) {
  if (direct()) {
    directEvents_.dz += delta;
  } else {
    mouse_.setAxis(2, mouse_.rawAxis(2) + static_cast<float>(delta));
  }
}

void InputSystem::setMousePosition(std::int32_t x, std::int32_t y) {
  mouse_.setAxis(0, static_cast<float>(x));
  mouse_.setAxis(1, static_cast<float>(y));
}

void InputSystem::moveMouse(std::int32_t x, std::int32_t y) {
  setMousePosition(x, y);
  // Under direct input the pointer is hidden and relative: it is not moved.
  if (!(directInput_ && host_.fullScreen())) host_.moveCursor(x, y);
}

std::int32_t InputSystem::toChar(std::int32_t k) {
  KeyModifiers m;
  m.shift = keyboard_.isDown(kKeyLeftShift) || keyboard_.isDown(kKeyRightShift);
  m.control = keyboard_.isDown(kKeyLeftControl) || keyboard_.isDown(kKeyRightControl);
  m.alt = keyboard_.isDown(kKeyLeftAlt) || keyboard_.isDown(kKeyRightAlt);
  return keyToChar(k, m);
}

void InputSystem::enableDirectInput(bool enable) {
  directInput_ = enable;
  if (enable) {
    resume();
  } else {
    if (host_.fullScreen()) releaseAll();
    resetAll();
  }
}

void InputSystem::suspend() {
  if (directInput_ && host_.fullScreen()) releaseAll();
  resetAll();
}

void InputSystem::resume() {
  if (directInput_ && host_.fullScreen()) directInput_ = acquireAll();
  resetAll();
}

}  // namespace korvo::platform
