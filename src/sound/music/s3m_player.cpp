// The S3M tick handler: samples stand for instruments, notes take their periods from the
// period table and the sample's C4 rate, the volume column sets the volume, note byte 255
// cuts the note, and the lettered effects run on rows and ticks.
#include <algorithm>

#include "sound/music/channel_steps.h"
#include "sound/music/formats.h"
#include "sound/music/letter_effects.h"
#include "sound/music/music_player.h"
#include "sound/music/pitch.h"

namespace korvo::sound::music::s3m {
namespace {

std::int32_t notePeriod(const Song&, const Voice& v, std::int32_t note) {
  return v.sample ? c4Period(note, v.sample->c4Rate) : 0;
}

letters::Rules rulesOf(const Song& song) {
  letters::Rules rules;
  rules.fastSlides = (song.formatFlags & kS3mFastSlides) != 0;
  rules.notePeriod = &notePeriod;
  return rules;
}

Voice& startCell(Song& song, MusicPlayer& player, SongChannel& c, const Cell& cell) {
  const bool slide = cell.effect == letters::kTonePorta || cell.effect == letters::kTonePortaSlide;
  Voice& v = startSampleCell(song, player, c, cell, slide, letters::kTremolo);
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

void rowEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell) {
  if (cell.effect == letters::kMacro) {
    if (song.callbacks.effect) song.callbacks.effect(song, cell.param, song.callbacks.user);
  } else {
    letters::rowEffect(song, c, v, cell, rulesOf(song));
  }
}

void tickEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell) {
  letters::tickEffect(song, c, v, cell, rulesOf(song));
}

constexpr ChannelSteps kSteps{&letters::isNoteDelay, &startCell, &rowEffect, &tickEffect, &finishChannel};

void tick(Song& song, MusicPlayer& player) { tickSong(song, player, kSteps); }

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
