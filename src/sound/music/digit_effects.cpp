// The numbered effects both players give one meaning. Pitch slides stop at the period limits;
// the extended set's waveforms, pattern loop, pattern delay, retrigger and note cut are here,
// its fine slides, finetune and pan with each player.
#include "sound/music/digit_effects.h"

#include <algorithm>

#include "sound/music/effect_steps.h"
#include "sound/music/song_clock.h"

namespace korvo::sound::music::digits {
namespace {

constexpr std::int32_t kMinPortaPeriod = 56;
constexpr std::int32_t kMaxPeriod = 1 << 20;

bool extendedRow(Song& song, SongChannel& c, std::int32_t x, std::int32_t y) {
  switch (x) {
    case kVibratoWave: c.waveform = static_cast<std::uint8_t>((c.waveform & 0xF0) | y); return true;
    case kPatternLoop: patternLoop(song, c, y); return true;
    case kTremoloWave: c.waveform = static_cast<std::uint8_t>((c.waveform & 0x0F) | (y << 4)); return true;
    case kPatternDelay: song.patternDelay = y * song.speed; return true;
    default: return false;
  }
}

}  // namespace

bool isNoteDelay(const Cell& c) { return c.effect == kExtended && hi(c.param) == kNoteDelay && lo(c.param) != 0; }

bool rowEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell) {
  const std::uint8_t p = cell.param;
  const std::int32_t x = hi(p);
  const std::int32_t y = lo(p);
  switch (cell.effect) {
    case kPortaUp:
      if (p) c.portaUp = p;
      return true;
    case kPortaDown:
      if (p) c.portaDown = p;
      return true;
    case kTonePorta: startTonePortamento(c, p); return true;
    case kTremolo:
      if (p > 15) c.tremoloSpeed = x;
      if (y) c.tremoloDepth = y;
      return true;
    case kSampleOffset: sampleOffset(c, v, p, 0); return true;
    case kPositionJump: jumpToOrder(song, p); return true;
    case kSetVolume: v.volume = std::min<std::int32_t>(p, 64); return true;
    case kPatternBreak: breakToRow(song, x * 10 + y, 63); return true;
    case kExtended: return extendedRow(song, c, x, y);
    case kSpeedTempo:
      if (p >= 32) setTempo(song, p);
      else song.speed = p;
      return true;
    default: return false;
  }
}

bool tickEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell, ArpeggioDelta arpeggioDelta) {
  const std::uint8_t p = cell.param;
  switch (cell.effect) {
    case kArpeggio: {
      // Note, x semitones up, y up in turn: ticks 1 and 2 of every three change the period.
      const std::int32_t step = song.tick % 3;
      if (p && (step == 1 || step == 2)) v.periodDelta = arpeggioDelta(song, c, v, step == 1 ? hi(p) : lo(p));
      return true;
    }
    case kPortaUp: v.period = std::max(v.period - c.portaUp * 4, kMinPortaPeriod); return true;
    case kPortaDown: v.period = std::min(v.period + c.portaDown * 4, kMaxPeriod); return true;
    case kTonePorta: tonePortamento(c, v); return true;
    case kVibrato: vibrato(c, v); return true;
    case kTremolo: tremolo(c, v); return true;
    case kExtended:
      if (hi(p) == kRetrigger && lo(p) && song.tick % lo(p) == 0) retrigger(v);
      if (hi(p) == kNoteCut && song.tick == lo(p)) v.volume = 0;
      return true;
    default: return false;
  }
}

}  // namespace korvo::sound::music::digits
