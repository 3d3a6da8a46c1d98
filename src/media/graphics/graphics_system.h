// GraphicsSystem: one open display. It owns the front and back buffer canvases (one surface
// shared by both in a window, two in full screen), every other canvas made while it is open,
// the fonts (opened and closed with it), the gamma ramp, and the presentation of the front buffer: at each Flip, on
// repaint, and within 100 ms of drawing on a window's front buffer. Canvas handles are never reused.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/handle_registry.h"
#include "backend/display.h"
#include "media/canvas/canvas.h"
#include "host/runtime_host.h"

namespace korvo::platform {

class WindowedHost;

// Open flags of a display.
inline constexpr std::int32_t kOpenWindowed = 1;
inline constexpr std::int32_t kOpenScaled = 2;

class GraphicsSystem : public HostSubsystem {
 public:
  // Opens a display on the host's window (windowed flags: driver 0, depth ignored); null when
  // a display is open or the mode cannot be set. Depth 0 means the display's 32-bit format.
  static GraphicsSystem* open(RuntimeHost& host, std::int32_t width, std::int32_t height, std::int32_t depth,
                              std::int32_t driver, std::int32_t flags);
  // Closes the current display (any other is ignored).
  static void close(RuntimeHost& host, GraphicsSystem* system);
  // The open display of the current host, or null.
  static GraphicsSystem* current();
  // Called as a display closes, before its canvases go, so that what lives with the display
  // (movies) goes with it; null for none.
  using CloseHandler = void (*)(GraphicsSystem& closing);
  static void setCloseHandler(CloseHandler handler);

  ~GraphicsSystem() override;

  DisplayKind kind() const { return kind_; }
  // The front buffer's pixel format.
  const PixelFormat& format() const { return front_->format(); }
  Canvas& front() { return *front_; }
  Canvas& back() { return *back_; }
  std::int32_t frontHandle() const { return frontHandle_; }
  std::int32_t backHandle() const { return backHandle_; }

  // A new canvas cleared to its cls colour; 0 when it cannot be made.
  std::int32_t createCanvas(std::int32_t width, std::int32_t height, std::uint32_t flags);
  // A canvas holding the picture in file (path rules apply); 0 when it cannot be read.
  std::int32_t loadCanvas(std::string_view file, std::uint32_t flags);
  // A canvas over a surface made elsewhere (images, fonts); 0 for a null surface.
  std::int32_t adoptCanvas(std::shared_ptr<Surface> surface, std::uint32_t flags);
  // True for a live canvas of this display, buffers included.
  bool isCanvas(std::int32_t handle) const { return canvas(handle) != nullptr; }
  Canvas* canvas(std::int32_t handle) const;
  // Frees a canvas; the buffers and unknown handles are ignored.
  void freeCanvas(std::int32_t handle);

  // Shows the back buffer: a window presents it, full screen swaps the pages.
  void flip(bool vwait);
  // Waits on the runtime clock for the display's next refresh boundary.
  void vwait();
  // The beam's line by the runtime clock; 0 in the vertical blank.
  std::int32_t scanLine() const;
  // Presents the front buffer when it changed since it was last presented.
  void presentIfChanged();

  // Gamma tables: entries of 16 bits; without gamma control they hold 0..255.
  void setGamma(std::int32_t r, std::int32_t g, std::int32_t b, float dr, float dg, float db);
  void updateGamma(bool calibrate);
  const GammaRamp& gamma() const { return ramp_; }
  bool gammaControl() const { return gammaControl_; }

  std::int32_t totalVidMem() const;
  std::int32_t availVidMem() const;

  // Full screen: canvases keep copies of their pixels across a suspend.
  void suspend() override;
  void resume() override;

 private:
  GraphicsSystem(WindowedHost& window, DisplayKind kind, std::shared_ptr<Surface> front, std::shared_ptr<Surface> back);
  // Sends the front buffer's pixels to the display.
  void present(bool flip);
  // Every canvas of the set except the buffers.
  std::vector<Canvas*> otherCanvases() const;

  WindowedHost& window_;
  DisplayKind kind_;
  Canvas* front_;
  Canvas* back_;
  std::int32_t frontHandle_;
  std::int32_t backHandle_;
  std::uint32_t lastPresented_ = 0;
  std::vector<std::uint32_t> staging_;
  GammaRamp ramp_;
  GammaRamp original_;
  bool gammaControl_ = false;
  bool gammaWritten_ = false;
};

}  // namespace korvo::platform
