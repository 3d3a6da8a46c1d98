// The shared effect steps; the change table of multi-retrigger is data.
#include "sound/music/effect_steps.h"

#include <algorithm>
#include <array>

#include "sound/music/modulation.h"

namespace korvo::sound::music {
namespace {

// Multi-retrigger volume changes by x: volume * mul / div + add.
struct RetrigChange {
  std::int8_t add;
  std::int8_t mul;
  std::int8_t div;
};
constexpr std::array<RetrigChange, 16> kRetrigChanges = {{{0, 1, 1},
                                                          {-1, 1, 1},
                                                          {-2, 1, 1},
                                                          {-4, 1, 1},
                                                          {-8, 1, 1},
                                                          {-16, 1, 1},
                                                          {0, 2, 3},
                                                          {0, 1, 2},
                                                          {0, 1, 1},
                                                          {1, 1, 1},
                                                          {2, 1, 1},
                                                          {4, 1, 1},
                                                          {8, 1, 1},
                                                          {16, 1, 1},
                                                          {0, 3, 2},
                                                          {0, 2, 1}}};

}  // namespace

void volumeSlide(Voice& v, std::uint8_t param) {
  if (hi(param)) v.volume = std::min(v.volume + hi(param), 64);
  else v.volume = std::max(v.volume - lo(param), 0);
}

void startTonePortamento(SongChannel& c, std::int32_t speed) {
  if (speed) c.tonePortaSpeed = speed;
  c.tonePortaTarget = c.period;
}

void tonePortamento(SongChannel& c, Voice& v) {
  if (c.tonePortaTarget == 0) return;
  const std::int32_t step = c.tonePortaSpeed * 4;
  if (v.period < c.tonePortaTarget) v.period = std::min(v.period + step, c.tonePortaTarget);
  else v.period = std::max(v.period - step, c.tonePortaTarget);
}

void vibrato(SongChannel& c, Voice& v) {
  v.periodDelta = vibratoDelta(c.vibratoDepth, c.waveform & 0x0F, c.vibratoPos);
  c.vibratoPos = advanceWave(c.vibratoPos, c.vibratoSpeed);
}

void tremolo(SongChannel& c, Voice& v) {
  v.volumeDelta = tremoloDelta(v.volume, c.tremoloDepth, c.waveform >> 4, c.tremoloPos);
  c.tremoloPos = advanceWave(c.tremoloPos, c.tremoloSpeed);
}

void sampleOffset(SongChannel& c, Voice& v, std::uint8_t param, std::uint32_t high) {
  if (param) c.sampleOffset = param;
  if (!(v.flags & vflag::kTrigger)) return;
  const std::uint32_t offset = high + c.sampleOffset * 256u;
  if (v.sample && offset < v.sample->loopStart + v.sample->loopLength) {
    v.startOffset = offset;
  } else {
    v.flags = (v.flags & ~vflag::kTrigger) | vflag::kStop;
  }
}

void tremor(SongChannel& c, Voice& v) {
  if (c.tremorOn == 0) return;
  if (c.tremorCounter >= c.tremorOn) v.volumeDelta = -v.volume;
  if (++c.tremorCounter >= c.tremorOn + c.tremorOff) c.tremorCounter = 0;
}

void restartWaves(SongChannel& c) {
  if (!(c.waveform & 0x04)) c.vibratoPos = 0;
  if (!(c.waveform & 0x40)) c.tremoloPos = 0;
  c.retrigCounter = 0;
}

void retrigger(Voice& v) {
  if (!v.sample) return;
  v.startOffset = 0;
  v.flags |= vflag::kTrigger;
}

std::int32_t retriggerVolume(std::int32_t volume, std::int32_t change) {
  const RetrigChange& r = kRetrigChanges[static_cast<std::size_t>(change & 15)];
  return std::clamp(volume * r.mul / r.div + r.add, 0, 64);
}

}  // namespace korvo::sound::music
