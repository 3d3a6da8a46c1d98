// A channel's resonant low-pass filter: two poles, unity gain at 0 Hz, a peak at the cutoff
// as high as the resonance says. The channel's mix passes through it only while it is on, so
// channels without a filter pay one test per sub-block. It belongs to whoever mixes the
// channel (song voices: the music unit), which sets it and mixes through it in its passes.
#pragma once

#include <atomic>
#include <cstdint>

namespace korvo::sound {

class ChannelFilter {
 public:
  // Turns the filter on at cutoffHz (kept within 1 Hz .. mixRate / 2) with a peak of
  // resonanceDb (0..24) there. What the filter holds from earlier samples stays, so a cutoff
  // that moves from tick to tick does not click.
  void set(float cutoffHz, float resonanceDb, std::int32_t mixRate);
  void disable() { on_.store(false, std::memory_order_relaxed); }
  bool enabled() const { return on_.load(std::memory_order_relaxed); }
  // Forgets earlier samples (a new note, or a stretch of silence).
  void clearHistory();

  // Adds count stereo frames of in, filtered side by side, into out: float mix values, or
  // 16-bit ones saturated as they are added.
  void apply(float* out, const float* in, std::int32_t count);
  void apply(std::int16_t* out, const std::int16_t* in, std::int32_t count);

 private:
  template <typename Value>
  void run(Value* out, const Value* in, std::int32_t count);

  std::atomic<bool> on_{false};
  // y[n] = gain * x[n] + feedback1 * y[n-1] + feedback2 * y[n-2]
  float gain_ = 1.0f;
  float feedback1_ = 0.0f;
  float feedback2_ = 0.0f;
  // Per side: y[n-1], y[n-2].
  float history_[2][2] = {};
};

}  // namespace korvo::sound
