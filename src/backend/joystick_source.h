// The joystick contract: a source enumerates joystick ports once; each port reports its
// axis ranges and is polled for raw readings. SDL provides one source, the virtual
// joysticks (tests and the headless input script) another.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace korvo::platform {

// Raw axis slots of a reading, in this order.
enum JoystickSlot : int {
  kSlotX,
  kSlotY,
  kSlotZ,
  kSlotRotationX,
  kSlotRotationY,
  kSlotRotationZ,
  kSlotSlider0,
  kSlotSlider1,
  kJoystickSlots
};

// One poll of a joystick: raw slot values, the first hat in hundredths of a degree (low 16
// bits 0xFFFF when centred) and one byte per button with bit 7 set while held.
struct JoystickReading {
  std::array<std::int32_t, kJoystickSlots> axes{};
  std::uint32_t pov = 0xFFFFFFFFu;
  std::array<std::uint8_t, 32> buttons{};
};

// The raw interval of one slot: values run from minimum to minimum + range.
struct AxisRange {
  std::int32_t minimum = 0;
  std::int32_t range = 0xFFFF;
};

class JoystickPort {
 public:
  virtual ~JoystickPort() = default;
  // A game controller (gamepad) rather than another kind of joystick.
  virtual bool gamepad() const = 0;
  // The slot's range, or none when the device cannot say.
  virtual std::optional<AxisRange> range(int slot) const = 0;
  // Regains the device after a failed poll; false while it stays unavailable.
  virtual bool acquire() = 0;
  // Reads the current state; false when the device cannot be read.
  virtual bool poll(JoystickReading& reading) = 0;
};

class JoystickSource {
 public:
  virtual ~JoystickSource() = default;
  // The attached joysticks, in port order.
  virtual std::vector<std::unique_ptr<JoystickPort>> enumerate() = 0;
};

// The process's joystick source: the one a backend installed, else the virtual joysticks.
JoystickSource& joystickSource();
// Installs a backend's source; null restores the virtual joysticks.
void setJoystickSource(JoystickSource* source);

}  // namespace korvo::platform
