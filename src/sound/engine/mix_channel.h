// Mixing one channel: the sub-block walk shared by both quality mixers. Sub-blocks end at
// loop boundaries and ramp ends, so the per-sample kernels only count samples.
#pragma once

#include <algorithm>
#include <cstdint>

#include "sound/engine/channel.h"

namespace korvo::sound {

// Gains handed to a kernel: while ramping, current gains and steps in 8.8 per sample; else
// the target gains 0..255. Surround negates the left side.
struct KernelGains {
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t stepLeft = 0;
  std::int32_t stepRight = 0;
  bool surround = false;
};

// Fixed-point position step (32.32) used to count samples to a boundary for a channel whose
// increment is 0: about 256/44100 of a sample.
inline constexpr std::uint64_t kZeroIncrementStep = 24932236;

// A kernel mixes count output samples from data at position pos (32.32, stepped by step,
// negative going backward) into out and leaves pos after the last one.
template <typename Value>
using MixKernel = void (*)(Value* out, const std::uint8_t* data, std::int64_t& pos, std::int64_t step,
                           std::int32_t count, const KernelGains& gains);

// Kernels by source format and ramping: index = 16-bit | stereo << 1 | ramp << 2.
template <typename Value>
struct KernelSet {
  MixKernel<Value> kernels[8];
};

// The loop as 32.32 positions, read once and kept inside the data, so that loop points
// changed while the sample plays can never send the mixer past its guard samples.
struct LoopSpan {
  std::int64_t start;
  std::int64_t end;
};
inline LoopSpan loopSpan(const Sample& s) {
  const std::uint32_t length = s.length;
  const std::uint32_t start = s.loopStart < length ? s.loopStart : 0;
  const std::uint32_t span = s.loopLength <= length - start ? s.loopLength : length - start;
  return {static_cast<std::int64_t>(start) << 32, static_cast<std::int64_t>(start + span) << 32};
}

// Folds the position back into the loop after a boundary. Returns false when the channel ends.
bool wrapAtBoundary(Channel& c, const LoopSpan& loop, std::int64_t& pos, bool& backward);

// Output samples a filtered channel mixes at a time into a scratch block of its own.
inline constexpr std::int32_t kFilterSlice = 256;

// A kernel's work for a channel under a filter: slice by slice into silence, then through
// the filter into out.
template <typename Value>
void mixFiltered(MixKernel<Value> kernel, ChannelFilter& filter, Value* out, const std::uint8_t* data,
                 std::int64_t& pos, std::int64_t step, std::int32_t count, KernelGains g) {
  Value scratch[2 * kFilterSlice];
  while (count > 0) {
    const std::int32_t n = std::min(count, kFilterSlice);
    std::fill_n(scratch, 2 * n, Value{});
    kernel(scratch, data, pos, step, n, g);
    filter.apply(out, scratch, n);
    // Ramping gains go on where the slice left them (steps are 0 without a ramp).
    g.left += g.stepLeft * n;
    g.right += g.stepRight * n;
    out += 2 * n;
    count -= n;
  }
}

template <typename Value>
void mixChannelWith(const KernelSet<Value>& set, Value* out, Channel& c, std::int32_t n, std::int32_t rampLength) {
  Sample* s = c.sample.load(std::memory_order_acquire);
  if (!s || !s->data() || c.hasFlag(chflag::kPaused)) return;
  const std::uint8_t* data = s->data();
  const int format = (s->is16Bit() ? 1 : 0) | (s->isStereo() ? 2 : 0);
  const std::uint64_t inc = c.increment.load(std::memory_order_relaxed);
  const bool surround = c.hasFlag(chflag::kSurround);
  const bool startedBackward = c.backward.load(std::memory_order_relaxed);
  bool backward = startedBackward;
  std::int64_t pos = c.position;
  std::int32_t done = 0;
  while (done < n) {
    std::int32_t chunk = n - done;
    bool boundary = false;
    const LoopSpan loop = loopSpan(*s);
    const std::int64_t distance = backward ? pos - loop.start : loop.end - pos;
    if (distance <= 0) {
      chunk = 0;
      boundary = true;
    } else if ((distance >> 32) < (1 << 24)) {
      const std::uint64_t perSample = inc ? inc : kZeroIncrementStep;
      const std::uint64_t count = (static_cast<std::uint64_t>(distance) + perSample - 1) / perSample;
      if (count <= static_cast<std::uint64_t>(chunk)) {
        chunk = static_cast<std::int32_t>(count);
        boundary = true;
      }
    }

    const std::uint32_t targets = c.targets.load(std::memory_order_relaxed);
    if (c.rampSamplesLeft > 0 && c.rampTargets != targets) c.rampSamplesLeft = 0;
    if (c.rampSamplesLeft == 0) {
      const std::int32_t tl = static_cast<std::int32_t>(Channel::targetLeft(targets));
      const std::int32_t tr = static_cast<std::int32_t>(Channel::targetRight(targets));
      const bool leftMoves = (c.rampLeft >> 8) != tl;
      const bool rightMoves = (c.rampRight >> 8) != tr;
      c.rampStepLeft = leftMoves ? (tl * 256 - c.rampLeft) / rampLength : 0;
      c.rampStepRight = rightMoves ? (tr * 256 - c.rampRight) / rampLength : 0;
      if (leftMoves || rightMoves) {
        c.rampSamplesLeft = rampLength;
        c.rampTargets = targets;
      }
    }
    const bool ramping = c.rampSamplesLeft > 0;
    if (ramping && chunk > c.rampSamplesLeft) {
      chunk = c.rampSamplesLeft;
      boundary = false;
    }

    const std::int64_t step = backward ? -static_cast<std::int64_t>(inc) : static_cast<std::int64_t>(inc);
    const bool filtered = c.filter.enabled();
    if (!ramping && targets == 0) {
      pos += step * chunk;
      // Nothing sounds: the filter starts afresh when the channel sounds again.
      if (filtered) c.filter.clearHistory();
    } else if (chunk > 0) {
      KernelGains g;
      g.surround = surround;
      if (ramping) {
        g.left = c.rampLeft;
        g.right = c.rampRight;
        g.stepLeft = c.rampStepLeft;
        g.stepRight = c.rampStepRight;
      } else {
        g.left = static_cast<std::int32_t>(Channel::targetLeft(targets));
        g.right = static_cast<std::int32_t>(Channel::targetRight(targets));
      }
      const MixKernel<Value> kernel = set.kernels[format | (ramping ? 4 : 0)];
      if (filtered) mixFiltered(kernel, c.filter, out + 2 * done, data, pos, step, chunk, g);
      else kernel(out + 2 * done, data, pos, step, chunk, g);
    }
    if (ramping) {
      c.rampSamplesLeft -= chunk;
      c.rampLeft += c.rampStepLeft * chunk;
      c.rampRight += c.rampStepRight * chunk;
      if (c.rampSamplesLeft == 0) {
        c.rampStepLeft = c.rampStepRight = 0;
        c.rampLeft = static_cast<std::int32_t>(Channel::targetLeft(c.rampTargets)) * 256;
        c.rampRight = static_cast<std::int32_t>(Channel::targetRight(c.rampTargets)) * 256;
      }
    }
    done += chunk;
    if (boundary && !wrapAtBoundary(c, loop, pos, backward)) return;
  }
  c.position = pos;
  // A direction stored meanwhile by a new pitch on the program's thread wins over this mix's.
  bool expected = startedBackward;
  c.backward.compare_exchange_strong(expected, backward, std::memory_order_relaxed);
}

}  // namespace korvo::sound
