// The one top-level window of a video backend and the events it reports. Events carry what
// the window saw in the runtime's own terms (key numbers, client pixels, wheel units); what
// they mean to the program is decided by the windowed host. Joysticks are not window events:
// see joystick_source.h.
#pragma once

#include <cstdint>
#include <string>

namespace korvo::platform {

enum class WindowEventType {
  kClose,       // the close button
  kQuit,        // the session or a signal ends the process: no prompt
  kActivate,    // the window gained the focus
  kDeactivate,  // the window lost the focus
  kExpose,      // the window must be redrawn
  kKeyDown,     // key: runtime key number; repeat: held down before; alt: Alt was held
  kKeyUp,
  kMouseMove,  // x, y: client pixels; dx, dy: motion since the last one
  kMouseDown,  // button: 1 left, 2 right, 3 middle
  kMouseUp,
  kWheel,  // delta: 120 per notch, positive away from the user
};

struct WindowEvent {
  WindowEventType type = WindowEventType::kExpose;
  std::int32_t key = 0;
  bool repeat = false;
  bool alt = false;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t button = 0;
  std::int32_t dx = 0;
  std::int32_t dy = 0;
  std::int32_t delta = 0;
};

// A size in pixels.
struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const Size&) const = default;
};

class Window {
 public:
  virtual ~Window() = default;
  // The next pending event without waiting; false when there is none.
  virtual bool pollEvent(WindowEvent& event) = 0;
  // Waits up to ms for an event; false when none came.
  virtual bool waitEvent(WindowEvent& event, std::uint32_t ms) = 0;
  virtual void setTitle(const std::string& title) = 0;
  // The system cursor over the window.
  virtual void setCursorVisible(bool visible) = 0;
  // Puts the pointer at client pixel (x, y).
  virtual void warpMouse(std::int32_t x, std::int32_t y) = 0;
  // Keeps keyboard and mouse to the window with relative pointer motion, or lets them go;
  // false when refused.
  virtual bool grabInput(bool on) = 0;
  // The client area's size (zero while no display is open).
  virtual Size clientSize() const = 0;
  // Gives the desktop back (full screen suspend) or takes the window forward again.
  virtual void yieldFocus() {}
  virtual void takeFocus() {}
};

}  // namespace korvo::platform
