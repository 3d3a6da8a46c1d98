// The common device model: presses, releases, counters and the ring queue.
#include "media/input/input_device.h"

#include <climits>

namespace korvo::platform {

void InputDevice::press(std::int32_t k) {
  if (!inRange(k)) return;
  down_[k] = 1;
  ++hits_[k];
  // A press with a full queue still counts; it just is not queued.
  if (putIndex_ - getIndex_ < kQueueSize) {
    queue_[putIndex_ % kQueueSize] = k;
    ++putIndex_;
  }
}

void InputDevice::release(std::int32_t k) {
  if (inRange(k)) down_[k] = 0;
}

void InputDevice::set(std::int32_t k, bool state) {
  if (!inRange(k) || (down_[k] != 0) == state) return;
  if (state) {
    press(k);
  } else {
    release(k);
  }
}

void InputDevice::reset() {
  axes_.fill(0.0f);
  down_.fill(0);
  hits_.fill(0);
  getIndex_ = putIndex_ = 0;
}

void InputDevice::flush() {
  update();
  hits_.fill(0);
  getIndex_ = putIndex_ = 0;
}

bool InputDevice::isDown(std::int32_t k) {
  update();
  return rawDown(k);
}

std::int32_t InputDevice::hitCount(std::int32_t k) {
  update();
  if (!inRange(k)) return 0;
  const std::int32_t n = hits_[k];
  hits_[k] = 0;
  return n;
}

std::int32_t InputDevice::next() {
  update();
  if (putIndex_ == getIndex_) return 0;
  return queue_[getIndex_++ % kQueueSize];
}

float InputDevice::axis(std::int32_t i) {
  update();
  return i >= 0 && i < kAxes ? axes_[i] : 0.0f;
}

std::int32_t truncatedAxis(float value) {
  if (!(value > -2147483648.0f)) return value < 0.0f ? INT32_MIN : 0;
  if (value >= 2147483648.0f) return INT32_MAX;
  return static_cast<std::int32_t>(value);
}

}  // namespace korvo::platform
