// The MOD tick handler: samples stand for instruments, periods come from the period table
// and each sample's C4 rate, volumes are set without envelopes or a global volume, and the
// sixteen effects (with the extended E set) run on rows and ticks.
#include <algorithm>

#include "sound/music/channel_steps.h"
#include "sound/music/effect_steps.h"
#include "sound/music/formats.h"
#include "sound/music/music_player.h"
#include "sound/music/modulation.h"
#include "sound/music/pitch.h"
#include "sound/music/song_clock.h"

namespace korvo::sound::music::mod {
namespace {

enum Effect : std::uint8_t {
  kArpeggio = 0x0,
  kPortaUp = 0x1,
  kPortaDown = 0x2,
  kTonePorta = 0x3,
  kVibrato = 0x4,
  kTonePortaVolSlide = 0x5,
  kVibratoVolSlide = 0x6,
  kTremolo = 0x7,
  kSetPan = 0x8,
  kSampleOffset = 0x9,
  kVolumeSlide = 0xA,
  kPositionJump = 0xB,
  kSetVolume = 0xC,
  kPatternBreak = 0xD,
  kExtended = 0xE,
  kSpeed = 0xF,
};
enum Extended : std::uint8_t {
  kFinePortaUp = 0x1,
  kFinePortaDown = 0x2,
  kVibratoWave = 0x4,
  kFinetune = 0x5,
  kPatternLoop = 0x6,
  kTremoloWave = 0x7,
  kFinePan = 0x8,
  kRetrigger = 0x9,
  kFineVolumeUp = 0xA,
  kFineVolumeDown = 0xB,
  kNoteCut = 0xC,
  kNoteDelay = 0xD,
  kPatternDelay = 0xE,
};

constexpr std::int32_t kMinPeriod = 56;
constexpr std::int32_t kMaxPeriod = 1 << 20;

bool isNoteDelay(const Cell& c) { return c.effect == kExtended && hi(c.param) == kNoteDelay && lo(c.param) != 0; }

void vibrato(SongChannel& c, Voice& v) {
  v.periodDelta = vibratoDelta(c.vibratoDepth, c.waveform & 0x0F, c.vibratoPos);
  c.vibratoPos = advanceWave(c.vibratoPos, c.vibratoSpeed);
}

void setPan(SongChannel& c, Voice& v, std::int32_t pan) {
  c.pan = std::clamp(pan, 0, 255);
  v.pan = c.pan;
  v.flags |= vflag::kPan;
}

Voice& startCell(Song& song, MusicPlayer& player, SongChannel& c, const Cell& cell) {
  return startSampleCell(song, player, c, cell, cell.effect == kTonePorta || cell.effect == kTonePortaVolSlide,
                         kTremolo);
}

void extendedRow(Song& song, SongChannel& c, Voice& v, std::int32_t x, std::int32_t y) {
  switch (x) {
    case kFinePortaUp: v.period = std::max(v.period - y * 4, kMinPeriod); break;
    case kFinePortaDown: v.period = std::min(v.period + y * 4, kMaxPeriod); break;
    case kVibratoWave: c.waveform = static_cast<std::uint8_t>((c.waveform & 0xF0) | y); break;
    case kFinetune:
      if (v.sample && v.sample != &invalidSample()) v.sample->c4Rate = finetuneRate(y);
      break;
    case kPatternLoop: patternLoop(song, c, y); break;
    case kTremoloWave: c.waveform = static_cast<std::uint8_t>((c.waveform & 0x0F) | (y << 4)); break;
    case kFinePan: setPan(c, v, y * 16); break;
    case kFineVolumeUp: v.volume = std::min(v.volume + y, 64); break;
    case kFineVolumeDown: v.volume = std::max(v.volume - y, 0); break;
    case kPatternDelay: song.patternDelay = y * song.speed; break;
    default: break;
  }
}

void rowEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell) {
  const std::uint8_t p = cell.param;
  const std::int32_t x = hi(p), y = lo(p);
  switch (cell.effect) {
    case kPortaUp:
      if (p) c.portaUp = p;
      break;
    case kPortaDown:
      if (p) c.portaDown = p;
      break;
    case kTonePorta:
      if (p) c.tonePortaSpeed = p;
      c.tonePortaTarget = c.period;
      break;
    case kTonePortaVolSlide: c.tonePortaTarget = c.period; break;
    case kVibrato:
    case kTremolo: {
      std::int32_t& speed = cell.effect == kVibrato ? c.vibratoSpeed : c.tremoloSpeed;
      std::int32_t& depth = cell.effect == kVibrato ? c.vibratoDepth : c.tremoloDepth;
      if (p > 15) speed = x;
      if (y) depth = y;
      break;
    }
    case kSetPan: setPan(c, v, p * 2); break;
    case kSampleOffset:
      if (p) c.sampleOffset = p;
      if (v.flags & vflag::kTrigger) {
        const std::uint32_t offset = c.sampleOffset * 256u;
        if (v.sample && offset < v.sample->loopStart + v.sample->loopLength) {
          v.startOffset = offset;
        } else {
          v.flags = (v.flags & ~vflag::kTrigger) | vflag::kStop;
        }
      }
      break;
    case kPositionJump: jumpToOrder(song, p); break;
    case kSetVolume: v.volume = std::min<std::int32_t>(p, 64); break;
    case kPatternBreak: breakToRow(song, x * 10 + y, 63); break;
    case kExtended: extendedRow(song, c, v, x, y); break;
    case kSpeed:
      if (p >= 32) setTempo(song, p);
      else song.speed = p;
      break;
    default: break;
  }
}

void arpeggio(const Song& song, const SongChannel& c, Voice& v, std::uint8_t p) {
  const std::int32_t semitones = song.tick % 3 == 1 ? hi(p) : song.tick % 3 == 2 ? lo(p) : 0;
  if (semitones == 0 || !v.sample) return;
  v.periodDelta = c4Period(c.note + semitones, v.sample->c4Rate) - c4Period(c.note, v.sample->c4Rate);
}

void finishChannel(const Song& song, MusicPlayer& player, SongChannel& c) {
  for (Voice* v = c.voices; v; v = v->next) player.applyVoice(song, *v);
}

void tickEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell) {
  const std::uint8_t p = cell.param;
  switch (cell.effect) {
    case kArpeggio:
      if (p) arpeggio(song, c, v, p);
      break;
    case kPortaUp: v.period = std::max(v.period - c.portaUp * 4, kMinPeriod); break;
    case kPortaDown: v.period = std::min(v.period + c.portaDown * 4, kMaxPeriod); break;
    case kTonePorta: tonePortamento(c, v); break;
    case kVibrato: vibrato(c, v); break;
    case kTonePortaVolSlide:
      tonePortamento(c, v);
      volumeSlide(v, p);
      break;
    case kVibratoVolSlide:
      vibrato(c, v);
      volumeSlide(v, p);
      break;
    case kTremolo:
      v.volumeDelta = tremoloDelta(v.volume, c.tremoloDepth, c.waveform >> 4, c.tremoloPos);
      c.tremoloPos = advanceWave(c.tremoloPos, c.tremoloSpeed);
      break;
    case kVolumeSlide: volumeSlide(v, p); break;
    case kExtended:
      if (hi(p) == kRetrigger && lo(p) && song.tick % lo(p) == 0) retrigger(v);
      if (hi(p) == kNoteCut && song.tick == lo(p)) v.volume = 0;
      break;
    default: break;
  }
}

constexpr ChannelSteps kSteps{&isNoteDelay, &startCell, &rowEffect, &tickEffect, &finishChannel};

void tick(Song& song, MusicPlayer& player) { tickSong(song, player, kSteps); }

// Volume and tremolo against the master volume, 128 at the top.
std::int32_t volume(const Song& song, const Voice& v) {
  const std::int32_t level = std::clamp(v.volume + v.volumeDelta, 0, 64);
  return std::min(level * song.masterVolume / 128, 255);
}

}  // namespace
}  // namespace korvo::sound::music::mod

namespace korvo::sound::music {

const SongFormat& modFormat() {
  static const SongFormat kFormat{SongKind::kMod, &mod::tick, nullptr, &mod::volume};
  return kFormat;
}

}  // namespace korvo::sound::music
