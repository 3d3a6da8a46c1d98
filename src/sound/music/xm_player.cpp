// The XM tick handler: takes pending orders and rows, runs rows on tick 0 and the effects of
// the row on every later tick, and moves the song on row by row.
#include <algorithm>

#include "sound/music/channel_steps.h"
#include "sound/music/effect_steps.h"
#include "sound/music/formats.h"
#include "sound/music/modulation.h"
#include "sound/music/pitch.h"
#include "sound/music/song_clock.h"
#include "sound/music/xm_player.h"

namespace korvo::sound::music::xm {
namespace {

constexpr std::int32_t kMinPortaPeriod = 56;
constexpr std::int32_t kMaxPeriod = 1 << 20;

void vibrato(SongChannel& c, Voice& v, std::int32_t depth) {
  v.periodDelta = vibratoDelta(depth, c.waveform & 0x0F, c.vibratoPos);
  c.vibratoPos = advanceWave(c.vibratoPos, c.vibratoSpeed);
}

void arpeggio(const Song& song, const SongChannel& c, Voice& v, std::uint8_t p) {
  std::int32_t semitones = 0;
  switch (song.tick % 3) {
    case 1: semitones = hi(p); break;
    case 2: semitones = lo(p); break;
    default: return;
  }
  if (linear(song)) {
    v.periodDelta = -semitones * 64;
  } else {
    const std::int32_t finetune = v.sample ? v.sample->finetune : 0;
    v.periodDelta = amigaPeriod(c.realNote + semitones, finetune) - amigaPeriod(c.realNote, finetune);
  }
}

void multiRetrig(SongChannel& c, Voice& v) {
  if (c.retrigInterval == 0 || ++c.retrigCounter < c.retrigInterval) return;
  c.retrigCounter = 0;
  if (c.retrigVolume != 0) v.volume = retriggerVolume(v.volume, c.retrigVolume);
  retrigger(v);
}

void volumeColumnTick(SongChannel& c, Voice& v, std::uint8_t vol) {
  const std::int32_t x = vol & 0x0F;
  switch (vol >> 4) {
    case 0x6: v.volume = std::max(v.volume - x, 0); break;
    case 0x7: v.volume = std::min(v.volume + x, 64); break;
    case 0xB:
      if (x) c.vibratoDepth = x;
      vibrato(c, v, c.vibratoDepth);
      break;
    case 0xD: v.pan = std::max(v.pan - x, 0); break;
    case 0xE: v.pan = std::min(v.pan + x, 255); break;
    case 0xF: tonePortamento(c, v); break;
    default: break;
  }
}

void extendedTick(const Song& song, SongChannel& c, Voice& v, std::int32_t x, std::int32_t y) {
  switch (x) {
    case kRetrigger:
      if (y && song.tick % y == 0) retrigger(v);
      break;
    case kNoteCut:
      if (song.tick == y) v.volume = 0;
      break;
    default: break;
  }
}

void tickEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell) {
  stepVoiceEnvelopes(v);
  volumeColumnTick(c, v, cell.volume);

  const std::uint8_t p = cell.param;
  switch (cell.effect) {
    case kArpeggio:
      if (p) arpeggio(song, c, v, p);
      break;
    case kPortaUp: v.period = std::max(v.period - c.portaUp * 4, kMinPortaPeriod); break;
    case kPortaDown: v.period = std::min(v.period + c.portaDown * 4, kMaxPeriod); break;
    case kTonePorta: tonePortamento(c, v); break;
    case kVibrato: vibrato(c, v, c.vibratoDepth); break;
    case kTonePortaVolSlide:
      tonePortamento(c, v);
      volumeSlide(v, c.volumeSlide);
      break;
    case kVibratoVolSlide:
      vibrato(c, v, c.vibratoDepth);
      volumeSlide(v, c.volumeSlide);
      break;
    case kTremolo:
      v.volumeDelta = tremoloDelta(v.volume, c.tremoloDepth, c.waveform >> 4, c.tremoloPos);
      c.tremoloPos = advanceWave(c.tremoloPos, c.tremoloSpeed);
      break;
    case kVolumeSlide: volumeSlide(v, c.volumeSlide); break;
    case kExtended: extendedTick(song, c, v, hi(p), lo(p)); break;
    case kGlobalVolumeSlide:
      if (hi(c.globalVolumeSlide)) song.globalVolume = std::min(song.globalVolume + hi(c.globalVolumeSlide), 64);
      else song.globalVolume = std::max(song.globalVolume - lo(c.globalVolumeSlide), 0);
      break;
    case kPanSlide:
      if (hi(c.panSlide)) v.pan = std::min(v.pan + hi(c.panSlide), 255);
      else v.pan = std::max(v.pan - lo(c.panSlide), 0);
      break;
    case kMultiRetrig: multiRetrig(c, v); break;
    case kTremor: tremor(c, v); break;
    default: break;
  }
}

constexpr ChannelSteps kSteps{&isNoteDelay, &startCell, &rowEffect, &tickEffect, &finishChannel};

void tick(Song& song, MusicPlayer& player) { tickSong(song, player, kSteps); }

}  // namespace
}  // namespace korvo::sound::music::xm

namespace korvo::sound::music {

std::int32_t fullVoiceVolume(const Song& song, const Voice& v) {
  const std::int64_t volume = std::clamp(v.volume + v.volumeDelta, 0, 64);
  const std::int64_t product = volume * v.volumeEnv.output * v.fadeout * song.globalVolume * song.masterVolume * 255;
  return static_cast<std::int32_t>(product >> 43);
}

const SongFormat& xmFormat() {
  static const SongFormat kFormat{SongKind::kXm, &xm::tick, nullptr, &fullVoiceVolume};
  return kFormat;
}

}  // namespace korvo::sound::music
