// Virtual joysticks and the process's joystick source choice.
#include "backend/virtual_joysticks.h"

#include <cmath>

namespace korvo::platform {

class VirtualJoysticks::Port : public JoystickPort {
 public:
  explicit Port(std::shared_ptr<State> state) : state_(std::move(state)) {}
  bool gamepad() const override { return state_->gamepad; }
  std::optional<AxisRange> range(int) const override { return state_->range; }
  bool acquire() override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return !state_->failing;
  }
  bool poll(JoystickReading& reading) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->failing) return false;
    reading = state_->reading;
    return true;
  }

 private:
  std::shared_ptr<State> state_;
};

int VirtualJoysticks::add(bool gamepad, std::int32_t minimum, std::int32_t range) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto state = std::make_shared<State>();
  state->gamepad = gamepad;
  state->range = {minimum, range};
  // A stick at rest sits in the middle of its range.
  state->reading.axes.fill(static_cast<std::int32_t>(minimum + range / 2));
  states_.push_back(std::move(state));
  return static_cast<int>(states_.size()) - 1;
}

void VirtualJoysticks::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  states_.clear();
}

int VirtualJoysticks::count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(states_.size());
}

std::shared_ptr<VirtualJoysticks::State> VirtualJoysticks::at(int port) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return port >= 0 && port < static_cast<int>(states_.size()) ? states_[port] : nullptr;
}

void VirtualJoysticks::setRaw(int port, int slot, std::int32_t value) {
  auto s = at(port);
  if (!s || slot < 0 || slot >= kJoystickSlots) return;
  std::lock_guard<std::mutex> lock(s->mutex);
  s->reading.axes[slot] = value;
}

void VirtualJoysticks::setAxis(int port, int slot, float value) {
  auto s = at(port);
  if (!s || slot < 0 || slot >= kJoystickSlots) return;
  std::lock_guard<std::mutex> lock(s->mutex);
  const double raw = s->range.minimum + (static_cast<double>(value) + 1.0) * 0.5 * s->range.range;
  s->reading.axes[slot] = static_cast<std::int32_t>(std::lround(raw));
}

void VirtualJoysticks::setPov(int port, std::uint32_t hundredths) {
  if (auto s = at(port)) {
    std::lock_guard<std::mutex> lock(s->mutex);
    s->reading.pov = hundredths;
  }
}

void VirtualJoysticks::setButton(int port, int button, bool held) {
  auto s = at(port);
  if (!s || button < 1 || button > 32) return;
  std::lock_guard<std::mutex> lock(s->mutex);
  s->reading.buttons[button - 1] = held ? 0x80 : 0;
}

void VirtualJoysticks::setFailing(int port, bool failing) {
  if (auto s = at(port)) {
    std::lock_guard<std::mutex> lock(s->mutex);
    s->failing = failing;
  }
}

std::vector<std::unique_ptr<JoystickPort>> VirtualJoysticks::enumerate() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::unique_ptr<JoystickPort>> ports;
  for (auto& state : states_) ports.push_back(std::make_unique<Port>(state));
  return ports;
}

VirtualJoysticks& virtualJoysticks() {
  static VirtualJoysticks joysticks;
  return joysticks;
}

namespace {
JoystickSource* gSource = nullptr;
}

JoystickSource& joystickSource() { return gSource ? *gSource : virtualJoysticks(); }

void setJoystickSource(JoystickSource* source) { gSource = source; }

}  // namespace korvo::platform
