// The windowed host: the host's window on a video backend. It serves the window's events as
// the window procedure does (close prompt, activation, keys, mouse with the scaled-window
// mapping, wheel; input goes to the host's input system when there is one), keeps the
// process's display state, shows, hides, grabs and moves the pointer, and gives the graphics
// layer its repaint and 100 ms presentation checks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "backend/video_backend.h"
#include "host/runtime_host.h"

namespace korvo::platform {

// The process's display state: what kind of display is open.
enum class DisplayState : int { kNone = 0, kScaledWindow = 1, kWindow = 2, kFullScreen = 3 };

class WindowedHost : public HostWindow {
 public:
  WindowedHost(RuntimeHost& host, std::unique_ptr<VideoBackend> backend);
  ~WindowedHost() override;

  // The host's windowed host, installing one on the chosen backend when there is none yet.
  static WindowedHost& ensure(RuntimeHost& host);
  // The host's windowed host or null.
  static WindowedHost* of(RuntimeHost& host);

  VideoBackend& backend() { return *backend_; }

  void pumpEvents() override;
  void waitEvents(std::uint32_t ms) override;
  bool fullScreen() const override { return state_ == DisplayState::kFullScreen; }
  void setTitle(const std::string& title) override { backend_->setTitle(title); }
  void setPointerVisible(bool visible) override;
  bool displaySize(std::int32_t& width, std::int32_t& height) const override;
  bool grabInput(bool on) override { return backend_->grabInput(on); }
  void moveCursor(std::int32_t x, std::int32_t y) override;
  void suspended() override;
  void resuming() override;
  void yieldFocus() override { backend_->yieldFocus(); }
  void takeFocus() override { backend_->takeFocus(); }

  // Opens a display on the backend and records the state; false when it cannot be set.
  bool openDisplay(const DisplayRequest& request);
  void closeDisplay();
  DisplayState state() const { return state_; }
  // The open display's size in pixels.
  Size displaySize() const { return display_; }
  bool pointerVisible() const { return pointerVisible_; }

  // Called when the window must be redrawn, and every 100 ms of pumping (graphics layer).
  void setRepaint(std::function<void()> repaint) { repaint_ = std::move(repaint); }
  void setPeriodic(std::function<void()> periodic) { periodic_ = std::move(periodic); }

  // A client-area point as display pixels: scaled into the display, clamped to it.
  void clientToDisplay(std::int32_t& x, std::int32_t& y) const;

  // Serves one window event (the window procedure).
  void handle(const WindowEvent& event);

 private:
  void closeRequested();
  void handleInput(const WindowEvent& event);
  void updateCursor();
  void tick();

  RuntimeHost& host_;
  std::unique_ptr<VideoBackend> backend_;
  DisplayState state_ = DisplayState::kNone;
  Size display_;
  bool pointerVisible_ = true;
  bool closing_ = false;  // the close button has ended the program
  std::uint32_t lastTick_;
  std::function<void()> repaint_;
  std::function<void()> periodic_;
};

}  // namespace korvo::platform
