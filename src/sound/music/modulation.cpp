// Waves and envelopes. Envelope points come from files: indices beyond the point count and
// x values that do not rise are tolerated (the loader clamps the indices, and a segment
// ends once its tick reaches the next point's x, whatever order the x values are in). The
// tick starts at 0 even when the first point lies later, so a segment may run on past its
// end value: the value is kept within 0..64.
#include "sound/music/modulation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace korvo::sound::music {
namespace {

constexpr std::array<std::int32_t, 32> kVibratoSine = {0,   24,  49,  74,  97,  120, 141, 161, 180, 197, 212,
                                                       224, 235, 244, 250, 253, 255, 253, 250, 244, 235, 224,
                                                       212, 197, 180, 161, 141, 120, 97,  74,  49,  24};

const std::array<std::int8_t, 256>& autoVibratoSine() {
  static const std::array<std::int8_t, 256> kTable = [] {
    std::array<std::int8_t, 256> t{};
    for (int q = 0; q < 256; ++q) {
      t[static_cast<std::size_t>(q)] = static_cast<std::int8_t>(std::lround(64.0 * std::sin(2.0 * M_PI * q / 256.0)));
    }
    return t;
  }();
  return kTable;
}

// The random wave: a small generator of the mixing thread's own.
std::int32_t randomByte() {
  static thread_local std::uint32_t state = 0x2545F491u;
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return static_cast<std::int32_t>(state & 0xFF);
}

std::int32_t pointY(const Envelope& e, std::int32_t i) { return e.y[static_cast<std::size_t>(i)]; }
std::int32_t pointX(const Envelope& e, std::int32_t i) { return e.x[static_cast<std::size_t>(i)]; }

constexpr std::int32_t kTopValue = 64 * 65536;

void computeSegment(const Envelope& e, EnvelopeState& s, std::int32_t i) {
  const std::int32_t dx = pointX(e, i + 1) - pointX(e, i);
  s.delta = dx == 0 ? 0 : (pointY(e, i + 1) - pointY(e, i)) * 65536 / dx;
  s.value = pointY(e, i) * 65536;
}

}  // namespace

std::int32_t vibratoWave(std::int32_t waveform, std::int32_t pos, bool tremolo) {
  switch (waveform & 3) {
    case 1: return (pos < 0 ? -pos * 8 - 1 : pos * 8) & 0xFF;
    case 2: return 255;
    case 3:
      if (!tremolo) return randomByte();
      [[fallthrough]];
    default: return kVibratoSine[static_cast<std::size_t>(pos & 31)];
  }
}

std::int32_t vibratoDelta(std::int32_t depth, std::int32_t waveform, std::int32_t pos) {
  const std::int32_t delta = depth * vibratoWave(waveform, pos) / 128 * 4;
  return pos >= 0 ? -delta : delta;
}

std::int32_t tremoloDelta(std::int32_t volume, std::int32_t depth, std::int32_t waveform, std::int32_t pos) {
  const std::int32_t delta = depth * vibratoWave(waveform, pos, true) / 64;
  if (pos < 0) return -std::min(delta, std::max(volume, 0));
  return std::min(delta, std::max(64 - volume, 0));
}

std::int32_t advanceWave(std::int32_t pos, std::int32_t speed) {
  pos += speed;
  while (pos >= 32) pos -= 64;
  return pos;
}

std::int32_t autoVibratoWave(std::int32_t type, std::int32_t q) {
  q &= 0xFF;
  switch (type) {
    case 0: return autoVibratoSine()[static_cast<std::size_t>(q)];
    case 1: return q < 128 ? 64 : -64;
    case 2: return (128 - ((q + 128) % 256)) / 2;
    case 3: return (128 - ((384 - q) % 256)) / 2;
    default: return 0;
  }
}

void stepAutoVibrato(const AutoVibrato& vibrato, Voice& voice) {
  if (vibrato.depth == 0) return;
  std::int32_t value = autoVibratoWave(vibrato.type, voice.autoVibratoPos) * vibrato.depth;
  if (vibrato.sweep != 0 && voice.autoVibratoSweep < vibrato.sweep) {
    value = value * voice.autoVibratoSweep / vibrato.sweep;
  }
  voice.periodDelta += value / 64;
  if (voice.autoVibratoSweep < vibrato.sweep) ++voice.autoVibratoSweep;
  voice.autoVibratoPos = (voice.autoVibratoPos + vibrato.rate) & 0xFF;
}

void resetEnvelope(EnvelopeState& state, std::int32_t output) {
  state = EnvelopeState{};
  state.output = output;
  state.value = output * 65536;
}

void stepEnvelope(const Envelope& e, EnvelopeState& s, bool keyOff) {
  if (s.ended || e.points == 0) return;
  if (s.index < e.points) {
    if (s.tick != 0 && s.tick < pointX(e, s.index)) {
      s.value = std::clamp(s.value + s.delta, 0, kTopValue);
    } else {
      // A sustain loop runs while the key is held, then the loop (if any) takes over.
      if ((e.type & kEnvSustain) && !keyOff && e.sustain < e.sustainEnd && s.index == e.sustainEnd) {
        s.index = e.sustain;
        s.tick = pointX(e, s.index);
      } else if ((e.type & kEnvLoop) && s.index == e.loopEnd) {
        s.index = e.loopStart;
        s.tick = pointX(e, s.index);
      }
      if (s.index >= e.points - 1) {
        s.value = pointY(e, e.points - 1) * 65536;
        s.ended = true;
      } else if ((e.type & kEnvSustain) && !keyOff && s.index == e.sustainEnd && e.sustain == e.sustainEnd) {
        // Held: the tick stays on the point until the key is released.
        s.value = pointY(e, s.index) * 65536;
        s.output = std::clamp(s.value / 65536, 0, 64);
        return;
      } else {
        computeSegment(e, s, s.index);
        ++s.index;
      }
    }
  }
  ++s.tick;
  s.output = std::clamp(s.value / 65536, 0, 64);
}

void setEnvelopePosition(const Envelope& e, EnvelopeState& s, std::int32_t tick) {
  if (e.points == 0) return;
  s.ended = false;
  s.tick = tick;
  std::int32_t i = 0;
  while (i + 1 < e.points && tick >= pointX(e, i + 1)) ++i;
  if (i + 1 >= e.points) {
    s.index = e.points;
    s.value = pointY(e, e.points - 1) * 65536;
    s.ended = true;
  } else {
    computeSegment(e, s, i);
    // A tick before the first point starts from that point.
    s.value += s.delta * std::max(tick - pointX(e, i), 0);
    s.index = i + 1;
  }
  s.output = std::clamp(s.value / 65536, 0, 64);
}

}  // namespace korvo::sound::music
