// Display presentation: the drivers and modes a backend offers, opening a display of a
// given kind, and presenting frames of 32-bit pixels into it. The program always sees
// exactly the size it asked for; a backend scales to the window or the screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backend/window.h"

namespace korvo::platform {

// A display mode: width, height and bits per pixel (16, 24 or 32).
struct DisplayMode {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t depth = 0;
  bool operator==(const DisplayMode&) const = default;
};

// One output device and its modes, in the order they are offered.
struct DisplayDriver {
  std::string name;
  std::vector<DisplayMode> modes;
};

// How a display is shown; the numbers are the process's display state.
enum class DisplayKind : int { kScaledWindow = 1, kWindow = 2, kFullScreen = 3 };

struct DisplayRequest {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t depth = 0;   // 0: the display's own
  std::int32_t driver = 0;  // index into drivers()
  DisplayKind kind = DisplayKind::kWindow;
};

// Where a picture lands inside an output area (client pixels).
struct OutputRect {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const OutputRect&) const = default;
};

// The largest width × height picture of the display's aspect centred in out (letterboxed).
OutputRect letterbox(Size display, Size out);

// Where the display's pixels appear in the client area for a kind of display: the whole
// client for windows (stretched when scaled), letterboxed in full screen.
OutputRect outputRect(DisplayKind kind, Size display, Size client);

// Pixels to present: rows of 32-bit 0x00RRGGBB values.
struct FrameView {
  const std::uint32_t* pixels = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t pitch = 0;  // bytes from one row to the next
};

// The vertical refresh on the runtime clock: boundaries fall every 1000 / rate ms (rounded up
// to whole milliseconds) counted from origin.
struct RefreshTiming {
  std::uint32_t origin = 0;
  std::int32_t rate = 60;  // hertz, at least 1
  // The first boundary after now.
  std::uint32_t nextBoundary(std::uint32_t now) const;
  // The beam's line at now on a display of the given height; 0 during the vertical blank,
  // which begins at each boundary and takes a twentieth of the refresh.
  std::int32_t scanLine(std::uint32_t now, std::int32_t height) const;
};

// A gamma ramp: 256 entries of 16 bits per channel.
struct GammaRamp {
  std::uint16_t red[256];
  std::uint16_t green[256];
  std::uint16_t blue[256];
};

class Display {
 public:
  virtual ~Display() = default;
  // The output devices; with all, secondary and non-display devices too.
  virtual std::vector<DisplayDriver> drivers(bool all) = 0;
  // Shows the window as requested; false when the mode cannot be set.
  virtual bool openDisplay(const DisplayRequest& request) = 0;
  // Hides the display and leaves full screen.
  virtual void closeDisplay() = 0;
  // Presents a frame of the open display's size; flip marks a page flip (not a repaint).
  virtual void present(const FrameView& frame, bool flip) = 0;
  // Shows the last presented frame again (the window was uncovered or restored).
  virtual void redraw() {}
  // Whether presents wait for the vertical blank.
  virtual void setVsync(bool on) {}
  // True while presents wait for the vertical blank themselves.
  virtual bool presentsWaitForRefresh() const { return false; }
  // Vertical refresh in hertz.
  virtual std::int32_t refreshRate() const { return 60; }
  // A time on the runtime clock at which a refresh begins.
  virtual std::uint32_t refreshOrigin() const { return 0; }
  RefreshTiming refreshTiming() const { return {refreshOrigin(), refreshRate()}; }
  // The current ramp of a full-screen display; false where it cannot be read.
  virtual bool readGamma(GammaRamp& ramp) { return false; }
  // Sends a ramp to a full-screen display; false where it cannot be set.
  virtual bool writeGamma(const GammaRamp& ramp) { return false; }
  // Video memory in bytes: total and free.
  virtual std::int64_t totalVideoMemory() const { return std::int64_t{256} << 20; }
};

}  // namespace korvo::platform
