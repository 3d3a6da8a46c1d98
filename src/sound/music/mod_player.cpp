// The MOD tick handler: samples stand for instruments, periods come from the period table
// and each sample's C4 rate, volumes are set without envelopes or a global volume, and the
// sixteen effects (with the extended E set) run on rows and ticks. The effects XM gives the
// same meaning are shared with it; MOD's slides remember nothing, its fine slides stop at the
// period limits, and its pans are the channel's.
#include <algorithm>

#include "sound/music/channel_steps.h"
#include "sound/music/digit_effects.h"
#include "sound/music/effect_steps.h"
#include "sound/music/formats.h"
#include "sound/music/music_player.h"
#include "sound/music/pitch.h"

namespace korvo::sound::music::mod {
namespace {

using namespace digits;

constexpr std::int32_t kMinPeriod = 56;
constexpr std::int32_t kMaxPeriod = 1 << 20;

void setPan(SongChannel& c, Voice& v, std::int32_t pan) {
  c.pan = std::clamp(pan, 0, 255);
  v.pan = c.pan;
  v.flags |= vflag::kPan;
}

Voice& startCell(Song& song, MusicPlayer& player, SongChannel& c, const Cell& cell) {
  const bool slide = cell.effect == kTonePorta || cell.effect == kTonePortaVolSlide;
  return startSampleCell(song, player, c, cell, slide, kTremolo);
}

void extendedRow(SongChannel& c, Voice& v, std::int32_t x, std::int32_t y) {
  switch (x) {
    case kFinePortaUp: v.period = std::max(v.period - y * 4, kMinPeriod); break;
    case kFinePortaDown: v.period = std::min(v.period + y * 4, kMaxPeriod); break;
    case kFinetune:
      if (v.sample && v.sample != &invalidSample()) v.sample->c4Rate = finetuneRate(y);
      break;
    case kFinePan: setPan(c, v, y * 16); break;
    case kFineVolumeUp: v.volume = std::min(v.volume + y, 64); break;
    case kFineVolumeDown: v.volume = std::max(v.volume - y, 0); break;
    default: break;
  }
}

void rowEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell) {
  if (digits::rowEffect(song, c, v, cell)) return;
  const std::uint8_t p = cell.param;
  switch (cell.effect) {
    case kVibrato:
      if (p > 15) c.vibratoSpeed = hi(p);
      if (lo(p)) c.vibratoDepth = lo(p);
      break;
    case kTonePortaVolSlide: c.tonePortaTarget = c.period; break;
    case kSetPan: setPan(c, v, p * 2); break;
    case kExtended: extendedRow(c, v, hi(p), lo(p)); break;
    default: break;
  }
}

std::int32_t arpeggioDelta(const Song&, const SongChannel& c, const Voice& v, std::int32_t semitones) {
  if (!v.sample) return 0;
  return c4Period(c.note + semitones, v.sample->c4Rate) - c4Period(c.note, v.sample->c4Rate);
}

void tickEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell) {
  if (digits::tickEffect(song, c, v, cell, &arpeggioDelta)) return;
  switch (cell.effect) {
    case kTonePortaVolSlide:
      tonePortamento(c, v);
      volumeSlide(v, cell.param);
      break;
    case kVibratoVolSlide:
      vibrato(c, v);
      volumeSlide(v, cell.param);
      break;
    case kVolumeSlide: volumeSlide(v, cell.param); break;
    default: break;
  }
}

void finishChannel(const Song& song, MusicPlayer& player, SongChannel& c) {
  for (Voice* v = c.voices; v; v = v->next) player.applyVoice(song, *v);
}

constexpr ChannelSteps kSteps{&digits::isNoteDelay, &startCell, &rowEffect, &tickEffect, &finishChannel};

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
