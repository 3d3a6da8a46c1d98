// The filter's coefficients come from an analogue two-pole low-pass taken one output sample
// at a time: with r = rate / (2 pi cutoff) and the damping q = 10^(-resonance / 20),
// y[n] (1 + d + r^2) = x[n] + (d + 2 r^2) y[n-1] - r^2 y[n-2], d = q (r + 1) - 1. Close to
// half the mix rate a strong resonance puts its poles outside the unit circle (1 + 2d + 4r^2
// turns negative): what it keeps is clipped, so such a filter buzzes at a bounded level
// instead of growing without end.
#include "sound/engine/channel_filter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <type_traits>

namespace korvo::sound {
namespace {

constexpr float kMaxResonanceDb = 24.0f;
// The clip on the filter's output: eight times full scale leaves room for any stable peak of
// a loud voice.
constexpr float kLimit = 8 * 32768.0f;

std::int16_t saturate(float v) {
  const float rounded = v >= 0.0f ? v + 0.5f : v - 0.5f;
  return static_cast<std::int16_t>(std::clamp(rounded, -32768.0f, 32767.0f));
}

}  // namespace

void ChannelFilter::set(float cutoffHz, float resonanceDb, std::int32_t mixRate) {
  const float rate = static_cast<float>(std::max(mixRate, 2));
  const float cutoff = std::clamp(cutoffHz, 1.0f, rate / 2.0f);
  const float damping = std::pow(10.0f, -std::clamp(resonanceDb, 0.0f, kMaxResonanceDb) / 20.0f);
  const float r = rate / (2.0f * std::numbers::pi_v<float> * cutoff);
  const float d = damping * (r + 1.0f) - 1.0f;
  const float e = r * r;
  const float norm = 1.0f / (1.0f + d + e);
  gain_ = norm;
  feedback1_ = (d + 2.0f * e) * norm;
  feedback2_ = -e * norm;
  on_.store(true, std::memory_order_relaxed);
}

void ChannelFilter::clearHistory() {
  for (auto& side : history_) side[0] = side[1] = 0.0f;
}

template <typename Value>
void ChannelFilter::run(Value* out, const Value* in, std::int32_t count) {
  for (int side = 0; side < 2; ++side) {
    float y1 = history_[side][0];
    float y2 = history_[side][1];
    for (std::int32_t k = 0; k < count; ++k) {
      const std::size_t at = 2 * static_cast<std::size_t>(k) + static_cast<std::size_t>(side);
      const float y =
          std::clamp(gain_ * static_cast<float>(in[at]) + feedback1_ * y1 + feedback2_ * y2, -kLimit, kLimit);
      y2 = y1;
      y1 = y;
      if constexpr (std::is_same_v<Value, float>) out[at] += y;
      else out[at] = saturate(static_cast<float>(out[at]) + y);
    }
    history_[side][0] = y1;
    history_[side][1] = y2;
  }
}

void ChannelFilter::apply(float* out, const float* in, std::int32_t count) { run(out, in, count); }

void ChannelFilter::apply(std::int16_t* out, const std::int16_t* in, std::int32_t count) { run(out, in, count); }

}  // namespace korvo::sound
