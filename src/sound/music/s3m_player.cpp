// The S3M tick handler: samples stand for instruments, notes take their periods from the
// period table and the sample's C4 rate, the volume column sets the volume, note byte 255
// cuts the note, and the lettered effects run on rows and ticks.
#include <algorithm>

#include "sound/music/effect_steps.h"
#include "sound/music/formats.h"
#include "sound/music/letter_effects.h"
#include "sound/music/music_player.h"
#include "sound/music/pitch.h"
#include "sound/music/song_clock.h"

namespace korvo::sound::music::s3m {
namespace {

using letters::Letter;

std::int32_t periodOf(const SongSample& s, std::int32_t note) {
  const std::int32_t rate = s.c4Rate > 0 ? s.c4Rate : 8363;
  return static_cast<std::int32_t>(static_cast<std::int64_t>(amigaPeriod(note, 0)) * 8363 / rate);
}

std::int32_t notePeriod(const Song&, const Voice& v, std::int32_t note) {
  return v.sample ? periodOf(*v.sample, note) : 0;
}

letters::Rules rulesOf(const Song& song) {
  letters::Rules rules;
  rules.fastSlides = (song.formatFlags & kS3mFastSlides) != 0;
  rules.notePeriod = &notePeriod;
  return rules;
}

SongSample* sampleAt(const Song& song, std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(song.samples.size())) return &invalidSample();
  return song.samples[static_cast<std::size_t>(index)];
}

Voice& startCell(Song& song, MusicPlayer& player, SongChannel& c, const Cell& cell) {
  const bool slide = cell.effect == letters::kTonePorta || cell.effect == letters::kTonePortaSlide;
  if (cell.instrument) c.instrument = cell.instrument - 1;
  const bool realNote = cell.note != kNoNote && cell.note != kKeyOff;
  Voice& v = (realNote || cell.instrument) ? player.voiceFor(song, c) : player.currentVoice(c);
  SongSample* sample = sampleAt(song, c.instrument);
  if (c.previousEffect == letters::kTremolo && cell.effect != letters::kTremolo) {
    v.volume = std::clamp(v.volume + v.volumeDelta, 0, 64);
  }
  v.volumeDelta = 0;
  v.flags = 0;
  if (realNote) {
    c.period = periodOf(*sample, cell.note - 1);
    if (!slide) {
      c.note = cell.note - 1;
      v.sample = sample;
      v.period = c.period;
      v.startOffset = 0;
      v.flags |= vflag::kTrigger;
    }
  }
  v.periodDelta = 0;
  v.pan = c.pan;
  v.flags |= vflag::kLevels;
  if (cell.instrument) {
    v.volume = sample->volume;
    if (!(c.waveform & 0x04)) c.vibratoPos = 0;
    if (!(c.waveform & 0x40)) c.tremoloPos = 0;
    c.retrigCounter = 0;
  }
  if (cell.volume) v.volume = cell.volume - 1;
  if (cell.note == kKeyOff) v.flags = (v.flags & ~vflag::kTrigger) | vflag::kStop;
  return v;
}

void finishChannel(const Song& song, MusicPlayer& player, SongChannel& c) {
  for (Voice* v = c.voices; v; v = v->next) {
    if (song.formatFlags & kS3mMono) v->pan = 128;
    player.applyVoice(song, *v);
  }
}

void tickChannel(Song& song, MusicPlayer& player, SongChannel& c, const letters::Rules& rules) {
  const Cell& cell = c.cell;
  if (c.delayed) {
    if (song.tick != lo(cell.param)) {
      player.currentVoice(c).flags = 0;
      return;
    }
    c.delayed = false;
    startCell(song, player, c, cell);
    finishChannel(song, player, c);
    return;
  }
  Voice& v = player.currentVoice(c);
  v.volumeDelta = 0;
  v.periodDelta = 0;
  v.flags = vflag::kLevels;
  letters::tickEffect(song, c, v, cell, rules);
  finishChannel(song, player, c);
}

void runRow(Song& song, MusicPlayer& player, const letters::Rules& rules) {
  const std::int32_t pattern = song.orders[static_cast<std::size_t>(song.order)];
  for (std::int32_t ch = 0; ch < song.channelCount(); ++ch) {
    SongChannel& c = song.channels[static_cast<std::size_t>(ch)];
    const Cell& cell = song.cell(pattern, song.row, ch);
    c.previousEffect = c.cell.effect;
    c.cell = cell;
    c.delayed = letters::isNoteDelay(cell);
    if (c.delayed) {
      player.currentVoice(c).flags = 0;
      continue;
    }
    Voice& v = startCell(song, player, c, cell);
    if (cell.effect == letters::kMacro) {
      if (song.callbacks.effect) song.callbacks.effect(song, cell.param, song.callbacks.user);
    } else {
      letters::rowEffect(song, c, v, cell, rules);
    }
    finishChannel(song, player, c);
  }
}

void tick(Song& song, MusicPlayer& player) {
  const letters::Rules rules = rulesOf(song);
  if (song.tick != 0) {
    for (SongChannel& c : song.channels) tickChannel(song, player, c, rules);
  } else {
    if (!takePosition(song)) return;
    runRow(song, player, rules);
    advanceRow(song);
  }
  advanceTick(song);
}

// Volume with tremolo, global and master volume: 128 with every factor at the top.
std::int32_t volume(const Song& song, const Voice& v) {
  const std::int32_t level = std::clamp(v.volume + v.volumeDelta, 0, 64);
  return std::min(level * song.globalVolume * song.masterVolume / 8192, 255);
}

}  // namespace
}  // namespace korvo::sound::music::s3m

namespace korvo::sound::music {

const SongFormat& s3mFormat() {
  static const SongFormat kFormat{SongKind::kS3m, &s3m::tick, nullptr, &s3m::volume};
  return kFormat;
}

}  // namespace korvo::sound::music
