// The polls of the keyboard, the mouse and the joysticks.
#include "media/input/devices.h"

#include <algorithm>
#include <cmath>

namespace korvo::platform {

void KeyboardDevice::update() {
  if (!acquired()) {
    host_.pump();
    return;
  }
  for (int i = 0; i < direct_.keyCount; ++i) {
    const auto& change = direct_.keys[i];
    if (change.key < 1 || change.key > 255) continue;
    if (change.down) {
      press(change.key);
    } else {
      release(change.key);
    }
  }
  direct_.keyCount = 0;
}

void MouseDevice::update() {
  if (!acquired()) {
    host_.pump();
    return;
  }
  std::int32_t width = 0, height = 0;
  if (host_.displaySize(width, height) && width > 0 && height > 0) {
    const std::int32_t x = truncatedAxis(static_cast<float>(direct_.dx) + rawAxis(0));
    const std::int32_t y = truncatedAxis(static_cast<float>(direct_.dy) + rawAxis(1));
    setAxis(0, static_cast<float>(std::clamp(x, 0, width - 1)));
    setAxis(1, static_cast<float>(std::clamp(y, 0, height - 1)));
    setAxis(2, rawAxis(2) + static_cast<float>(direct_.dz));
  }
  direct_.dx = direct_.dy = direct_.dz = 0;
  for (int b = 1; b <= 3; ++b) set(b, direct_.buttons[b - 1]);
}

JoystickDevice::JoystickDevice(InputHost& host, std::unique_ptr<JoystickPort> port)
    : host_(host), port_(std::move(port)), type_(port_->gamepad() ? 1 : 2) {
  // The first query polls at once.
  lastPoll_ = host_.now() - kPollIntervalMs;
  for (int s = 0; s < kJoystickSlots; ++s) {
    if (auto range = port_->range(s)) ranges_[s] = *range;
  }
}

void JoystickDevice::update() {
  const std::uint32_t now = host_.now();
  if (now - lastPoll_ < kPollIntervalMs) return;
  JoystickReading reading;
  if (!port_->poll(reading)) {
    setAcquired(false);
    host_.pump();
    setAcquired(port_->acquire());
    // A joystick that cannot be read keeps its last state.
    if (!port_->poll(reading)) return;
  }
  lastPoll_ = now;
  apply(reading);
}

void JoystickDevice::apply(const JoystickReading& reading) {
  // Raw slots X, Y, Z, rotation X, Y, Z, slider 0, 1 feed axes X, Y, Z, pitch, yaw, roll, U, V.
  static constexpr int kAxisOfSlot[kJoystickSlots] = {kX, kY, kZ, kPitch, kYaw, kRoll, kU, kV};
  for (int s = 0; s < kJoystickSlots; ++s) {
    const AxisRange& r = ranges_[s];
    // A device that reports an empty range has no usable axis there.
    const float value = r.range == 0 ? 0.0f
                                     : static_cast<float>(static_cast<std::int64_t>(reading.axes[s]) - r.minimum) /
                                               static_cast<float>(r.range) * 2.0f -
                                           1.0f;
    setAxis(kAxisOfSlot[s], value);
  }
  setAxis(kHat, (reading.pov & 0xFFFF) == 0xFFFF ? -1.0f : std::floor(static_cast<float>(reading.pov) * 0.01f + 0.5f));
  for (int b = 1; b <= 31; ++b) set(b, (reading.buttons[b - 1] & 0x80) != 0);
}

}  // namespace korvo::platform
