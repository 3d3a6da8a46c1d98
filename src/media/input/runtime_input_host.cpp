// RuntimeInputHost over RuntimeHost and its window.
#include "media/input/runtime_input_host.h"

#include "backend/clock.h"
#include "host/runtime_host.h"

namespace korvo::platform {
namespace {

HostWindow* window() {
  RuntimeHost* host = RuntimeHost::current();
  return host ? host->window() : nullptr;
}

}  // namespace

void RuntimeInputHost::pump() {
  if (RuntimeHost* host = RuntimeHost::current()) host->idle();
}

std::uint32_t RuntimeInputHost::now() const { return clock().now(); }

bool RuntimeInputHost::fullScreen() const {
  HostWindow* w = window();
  return w && w->fullScreen();
}

bool RuntimeInputHost::displaySize(std::int32_t& width, std::int32_t& height) const {
  HostWindow* w = window();
  return w && w->displaySize(width, height);
}

bool RuntimeInputHost::grabInput(bool on) {
  HostWindow* w = window();
  return w && w->grabInput(on);
}

void RuntimeInputHost::moveCursor(std::int32_t x, std::int32_t y) {
  if (HostWindow* w = window()) w->moveCursor(x, y);
}

}  // namespace korvo::platform
