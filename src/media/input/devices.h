// The three device kinds and their polls: the keyboard and mouse read either what window
// events fed them or, while acquired (direct input), the buffered direct events; the
// joysticks poll their port at most every 3 ms.
#pragma once

#include <memory>

#include "backend/joystick_source.h"
#include "media/input/input_device.h"
#include "media/input/input_host.h"

namespace korvo::platform {

// Events collected while the keyboard and mouse are read directly: up to 32 key changes
// (later ones are lost, as with a full device buffer), relative motion and buttons.
struct DirectEvents {
  static constexpr int kKeyBuffer = 32;
  struct KeyChange {
    std::int32_t key;
    bool down;
  };
  KeyChange keys[kKeyBuffer];
  int keyCount = 0;
  std::int32_t dx = 0, dy = 0, dz = 0;
  bool buttons[3] = {};
  void clear() { *this = DirectEvents(); }
};

// A keyboard or mouse: fed by window events, or reading the direct events while acquired.
class WindowFedDevice : public InputDevice {
 public:
  WindowFedDevice(InputHost& host, DirectEvents& direct) : host_(host), direct_(direct) {}
  void setDirect(bool on) { setAcquired(on); }

 protected:
  InputHost& host_;
  DirectEvents& direct_;
};

class KeyboardDevice : public WindowFedDevice {
 public:
  using WindowFedDevice::WindowFedDevice;

 protected:
  void update() override;
};

class MouseDevice : public WindowFedDevice {
 public:
  using WindowFedDevice::WindowFedDevice;

 protected:
  void update() override;
};

class JoystickDevice : public InputDevice {
 public:
  // Axis indices of a joystick device.
  enum Axis : int { kX, kY, kZ, kU, kV, kPitch, kYaw, kRoll, kHat };
  static constexpr std::uint32_t kPollIntervalMs = 3;

  JoystickDevice(InputHost& host, std::unique_ptr<JoystickPort> port);
  // 1 for a game controller, 2 for another joystick.
  std::int32_t type() const { return type_; }

 protected:
  void update() override;

 private:
  void apply(const JoystickReading& reading);

  InputHost& host_;
  std::unique_ptr<JoystickPort> port_;
  std::int32_t type_;
  std::uint32_t lastPoll_;
  AxisRange ranges_[kJoystickSlots];
};

}  // namespace korvo::platform
