// Virtual joysticks: joystick ports whose state is set by code. Tests and the headless
// input script use them; a backend without joystick hardware falls back to them.
// Joysticks must be added before the input system starts, which enumerates them once.
#pragma once

#include <mutex>
#include <vector>

#include "backend/joystick_source.h"

namespace korvo::platform {

class VirtualJoysticks : public JoystickSource {
 public:
  // Adds a joystick with every slot ranging over [minimum, minimum + range]; returns its port.
  int add(bool gamepad, std::int32_t minimum = 0, std::int32_t range = 0xFFFF);
  // Removes every joystick.
  void clear();
  int count() const;

  // Sets a raw slot value.
  void setRaw(int port, int slot, std::int32_t value);
  // Sets a slot from a value in -1 .. 1, rounded to the nearest raw value.
  void setAxis(int port, int slot, float value);
  // Hat direction in hundredths of a degree; centred is 0xFFFF.
  void setPov(int port, std::uint32_t hundredths);
  // Button 1..32 held or not.
  void setButton(int port, int button, bool held);
  // While failing, polls and acquires of the port fail.
  void setFailing(int port, bool failing);

  std::vector<std::unique_ptr<JoystickPort>> enumerate() override;

 private:
  struct State {
    std::mutex mutex;
    bool gamepad = false;
    AxisRange range;
    JoystickReading reading;
    bool failing = false;
  };
  class Port;
  // The state of a port, or null; ports share it so it outlives clear().
  std::shared_ptr<State> at(int port) const;

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<State>> states_;
};

// The process's virtual joysticks.
VirtualJoysticks& virtualJoysticks();

}  // namespace korvo::platform
