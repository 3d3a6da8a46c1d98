// InputDevice: the device model shared by the keyboard, the mouse and the joysticks:
// per-key down flags, press counters, a 32-entry queue of presses and float axes.
// Every query first runs the device kind's update(), its poll.
#pragma once

#include <array>
#include <cstdint>

namespace korvo::platform {

class InputDevice {
 public:
  static constexpr int kKeys = 256;
  static constexpr int kAxes = 32;
  static constexpr std::uint32_t kQueueSize = 32;

  virtual ~InputDevice() = default;

  // Window feed and poll results. Key numbers outside 0..255 are ignored.
  void press(std::int32_t k);
  void release(std::int32_t k);
  // Presses or releases only when state differs from the down flag.
  void set(std::int32_t k, bool state);
  // Clears down flags, axes, counters and the queue.
  void reset();
  // Clears counters and the queue after a poll; down flags and axes stay.
  void flush();

  // Queries (each polls first); out-of-range keys and axes read as 0.
  bool isDown(std::int32_t k);
  // Presses since the last read of k; the counter restarts at 0.
  std::int32_t hitCount(std::int32_t k);
  // The oldest queued key, or 0 when none is pending.
  std::int32_t next();
  float axis(std::int32_t i);

  bool acquired() const { return acquired_; }
  // Raw access for the device kinds and the host feed (no poll).
  void setAxis(int i, float value) { axes_[i] = value; }
  float rawAxis(int i) const { return axes_[i]; }
  bool rawDown(std::int32_t k) const { return k >= 0 && k < kKeys && down_[k] != 0; }

 protected:
  // The device kind's poll.
  virtual void update() = 0;
  void setAcquired(bool on) { acquired_ = on; }

 private:
  static bool inRange(std::int32_t k) { return k >= 0 && k < kKeys; }

  std::array<float, kAxes> axes_{};
  std::array<std::uint8_t, kKeys> down_{};
  std::array<std::int32_t, kKeys> hits_{};
  std::array<std::int32_t, kQueueSize> queue_{};
  std::uint32_t getIndex_ = 0;
  std::uint32_t putIndex_ = 0;
  bool acquired_ = false;
};

// An axis value truncated toward zero, saturated at the ends of the int range (NaN gives 0):
// MoveMouse can put the pointer anywhere in that range, and a float there rounds past it.
std::int32_t truncatedAxis(float value);

}  // namespace korvo::platform
