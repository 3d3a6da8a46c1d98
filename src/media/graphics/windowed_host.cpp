// The window procedure's behaviour on backend events, and the display state.
#include "media/graphics/windowed_host.h"

#include <algorithm>
#include <climits>

#include "backend/clock.h"
#include "backend/message_box.h"
#include "media/input/input_system.h"

namespace korvo::platform {
namespace {

// How often a windowed front buffer is checked for drawing to show.
constexpr std::uint32_t kPresentPeriodMs = 100;
// The Tab key's number.
constexpr std::int32_t kTabKey = 15;

std::int32_t scale(std::int32_t v, std::int32_t num, std::int32_t den) {
  return den > 0 ? static_cast<std::int32_t>(std::int64_t{v} * num / den) : 0;
}

}  // namespace

WindowedHost::WindowedHost(RuntimeHost& host, std::unique_ptr<VideoBackend> backend)
    : host_(host), backend_(std::move(backend)), lastTick_(clock().now()) {}

WindowedHost::~WindowedHost() { closeDisplay(); }

WindowedHost* WindowedHost::of(RuntimeHost& host) { return dynamic_cast<WindowedHost*>(host.window()); }

WindowedHost& WindowedHost::ensure(RuntimeHost& host) {
  if (WindowedHost* w = of(host)) return *w;
  auto window = std::make_unique<WindowedHost>(host, makeVideoBackend());
  WindowedHost& result = *window;
  host.setWindow(std::move(window));
  result.setTitle(host.title().empty() ? " " : host.title());
  return result;
}

void WindowedHost::pumpEvents() {
  WindowEvent e;
  while (backend_->pollEvent(e)) handle(e);
  tick();
}

void WindowedHost::waitEvents(std::uint32_t ms) {
  WindowEvent e;
  if (backend_->waitEvent(e, ms)) handle(e);
  tick();
}

void WindowedHost::tick() {
  const std::uint32_t now = clock().now();
  if (now - lastTick_ < kPresentPeriodMs) return;
  lastTick_ = now;
  if (state_ != DisplayState::kNone && periodic_) periodic_();
}

bool WindowedHost::openDisplay(const DisplayRequest& request) {
  if (state_ != DisplayState::kNone || !backend_->openDisplay(request)) return false;
  state_ = static_cast<DisplayState>(request.kind);
  display_ = {request.width, request.height};
  updateCursor();
  return true;
}

void WindowedHost::closeDisplay() {
  if (state_ == DisplayState::kNone) return;
  backend_->closeDisplay();
  state_ = DisplayState::kNone;
  display_ = {};
  updateCursor();
}

void WindowedHost::updateCursor() {
  // Full screen shows the cursor only while suspended; a window follows ShowPointer.
  backend_->setCursorVisible(fullScreen() ? host_.suspended() : pointerVisible_);
}

void WindowedHost::setPointerVisible(bool visible) {
  if (visible == pointerVisible_) return;
  pointerVisible_ = visible;
  updateCursor();
}

void WindowedHost::suspended() { updateCursor(); }

void WindowedHost::resuming() { backend_->setCursorVisible(fullScreen() ? false : pointerVisible_); }

bool WindowedHost::displaySize(std::int32_t& width, std::int32_t& height) const {
  if (state_ == DisplayState::kNone) return false;
  width = display_.width;
  height = display_.height;
  return true;
}

void WindowedHost::clientToDisplay(std::int32_t& x, std::int32_t& y) const {
  const OutputRect o = outputRect(static_cast<DisplayKind>(state_), display_, backend_->clientSize());
  x = std::clamp(scale(x - o.x, display_.width, o.width), 0, std::max(0, display_.width - 1));
  y = std::clamp(scale(y - o.y, display_.height, o.height), 0, std::max(0, display_.height - 1));
}

void WindowedHost::moveCursor(std::int32_t x, std::int32_t y) {
  if (state_ == DisplayState::kNone) return;
  const OutputRect o = outputRect(static_cast<DisplayKind>(state_), display_, backend_->clientSize());
  // Places beyond the int range (a far-off place on an enlarged display) stay at its end.
  const auto place = [](std::int32_t offset, std::int32_t v, std::int32_t num, std::int32_t den) {
    const std::int64_t p = offset + (den > 0 ? std::int64_t{v} * num / den : 0);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(p, INT32_MIN, INT32_MAX));
  };
  backend_->warpMouse(place(o.x, x, o.width, display_.width), place(o.y, y, o.height, display_.height));
}

void WindowedHost::closeRequested() {
  // Once the program is ending there is nothing left to ask (the button may have been
  // clicked again while the prompt was up).
  if (closing_ || !host_.running()) return;
  if (!host_.closePrompt().empty()) {
    MessageBoxRequest box{host_.title(), host_.closePrompt(), BoxButtons::kOkCancel, BoxIcon::kWarning};
    if (showMessageBox(box) != BoxAnswer::kOk) return;
  }
  closing_ = true;
  host_.requestEnd();
}

void WindowedHost::handle(const WindowEvent& e) {
  // A mode change, suspend or resume in progress leaves events to default handling.
  if (host_.busy()) return;
  switch (e.type) {
    case WindowEventType::kClose: closeRequested(); return;
    case WindowEventType::kQuit: host_.requestEnd(); return;
    case WindowEventType::kActivate:
    case WindowEventType::kDeactivate:
      if (!fullScreen()) {
        if (InputSystem* input = host_.subsystemOf<InputSystem>(SubsystemSlot::kInput)) input->resetAll();
      } else if (e.type == WindowEventType::kDeactivate && !host_.suspended()) {
        host_.suspend();
      } else if (e.type == WindowEventType::kActivate && host_.suspended()) {
        host_.resume();
      }
      return;
    case WindowEventType::kExpose:
      if (state_ == DisplayState::kWindow || state_ == DisplayState::kScaledWindow) {
        if (repaint_) repaint_();
      } else if (fullScreen()) {
        // Full screen shows its last page again: a program waiting for a key after the
        // display came back (Alt+Tab, a covering window) would otherwise face a blank screen.
        backend_->redraw();
      }
      return;
    case WindowEventType::kKeyUp:
      // Alt+Tab in full screen gives the desktop back, also while the keys are grabbed and
      // the desktop never sees them.
      if (e.key == kTabKey && e.alt && fullScreen()) {
        if (!host_.suspended()) host_.suspendByRequest();
        return;
      }
      handleInput(e);
      return;
    default: handleInput(e); return;
  }
}

void WindowedHost::handleInput(const WindowEvent& e) {
  // Keyboard and mouse reach only a running program's input devices.
  InputSystem* in = host_.subsystemOf<InputSystem>(SubsystemSlot::kInput);
  if (!in || host_.suspended()) return;
  switch (e.type) {
    case WindowEventType::kKeyDown:
      if (!e.repeat && e.key != 0) in->keyDown(e.key);
      break;
    case WindowEventType::kKeyUp:
      if (e.key != 0) in->keyUp(e.key);
      break;
    case WindowEventType::kMouseMove:
      if (state_ != DisplayState::kNone) {
        std::int32_t x = e.x, y = e.y;
        clientToDisplay(x, y);
        in->mouseMoved(x, y, e.dx, e.dy);
      }
      break;
    case WindowEventType::kMouseDown: in->mouseDown(e.button); break;
    case WindowEventType::kMouseUp: in->mouseUp(e.button); break;
    case WindowEventType::kWheel: in->addWheel(e.delta); break;
    default: break;
  }
}

}  // namespace korvo::platform
