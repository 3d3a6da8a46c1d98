// What the input devices need from the host: the event pump, the clock, the display's
// size and mode, and direct (grabbed, relative) reading of the keyboard and mouse.
#pragma once

#include <cstdint>

namespace korvo::platform {

class InputHost {
 public:
  virtual ~InputHost() = default;
  // Runs the event pump once so window events reach the devices.
  virtual void pump() = 0;
  // The runtime clock in milliseconds.
  virtual std::uint32_t now() const = 0;
  // True while the display is full screen.
  virtual bool fullScreen() const = 0;
  // The open display's size; false when none is open.
  virtual bool displaySize(std::int32_t& width, std::int32_t& height) const = 0;
  // Grabs keyboard and mouse with relative mouse motion (on) or lets them go (off);
  // false when grabbing is refused.
  virtual bool grabInput(bool on) = 0;
  // Moves the system pointer to display pixel (x, y).
  virtual void moveCursor(std::int32_t x, std::int32_t y) = 0;
};

}  // namespace korvo::platform
