// The XM tick handler's later ticks: envelopes, the volume column and the effects of the row.
// The numbered effects MOD gives the same meaning run through the shared steps; XM's slides
// remember their parameters.
#include <algorithm>

#include "sound/music/channel_steps.h"
#include "sound/music/effect_steps.h"
#include "sound/music/formats.h"
#include "sound/music/pitch.h"
#include "sound/music/xm_player.h"

namespace korvo::sound::music::xm {
namespace {

std::int32_t arpeggioDelta(const Song& song, const SongChannel& c, const Voice& v, std::int32_t semitones) {
  if (linear(song)) return -semitones * 64;
  const std::int32_t finetune = v.sample ? v.sample->finetune : 0;
  return amigaPeriod(c.realNote + semitones, finetune) - amigaPeriod(c.realNote, finetune);
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
      vibrato(c, v);
      break;
    case 0xD: v.pan = std::max(v.pan - x, 0); break;
    case 0xE: v.pan = std::min(v.pan + x, 255); break;
    case 0xF: tonePortamento(c, v); break;
    default: break;
  }
}

void tickEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell) {
  stepVoiceEnvelopes(v);
  volumeColumnTick(c, v, cell.volume);

  if (digits::tickEffect(song, c, v, cell, &arpeggioDelta)) return;
  switch (cell.effect) {
    case kTonePortaVolSlide:
      tonePortamento(c, v);
      volumeSlide(v, c.volumeSlide);
      break;
    case kVibratoVolSlide:
      vibrato(c, v);
      volumeSlide(v, c.volumeSlide);
      break;
    case kVolumeSlide: volumeSlide(v, c.volumeSlide); break;
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

constexpr ChannelSteps kSteps{&digits::isNoteDelay, &startCell, &rowEffect, &tickEffect, &finishChannel};

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
