// The shared tick handler and the cell start of songs without instruments.
#include "sound/music/channel_steps.h"

#include <algorithm>

#include "sound/music/effect_steps.h"
#include "sound/music/pitch.h"
#include "sound/music/song_clock.h"

namespace korvo::sound::music {
namespace {

void tickChannel(Song& song, MusicPlayer& player, SongChannel& c, const ChannelSteps& steps) {
  const Cell& cell = c.cell;
  if (c.delayed) {
    if (song.tick != lo(cell.param)) {
      // Until its tick the delayed note leaves the voice as it was.
      player.currentVoice(c).flags = 0;
      return;
    }
    c.delayed = false;
    steps.startCell(song, player, c, cell);
    steps.finishChannel(song, player, c);
    return;
  }
  Voice& v = player.currentVoice(c);
  v.volumeDelta = 0;
  v.periodDelta = 0;
  v.flags = vflag::kLevels;
  steps.tickEffect(song, c, v, cell);
  steps.finishChannel(song, player, c);
}

void runRow(Song& song, MusicPlayer& player, const ChannelSteps& steps) {
  const std::int32_t pattern = song.orders[static_cast<std::size_t>(song.order)];
  for (std::int32_t ch = 0; ch < song.channelCount(); ++ch) {
    SongChannel& c = song.channels[static_cast<std::size_t>(ch)];
    const Cell& cell = song.cell(pattern, song.row, ch);
    c.previousEffect = c.cell.effect;
    c.cell = cell;
    c.delayed = steps.isNoteDelay(cell);
    if (c.delayed) {
      player.currentVoice(c).flags = 0;
      continue;
    }
    Voice& v = steps.startCell(song, player, c, cell);
    steps.rowEffect(song, c, v, cell);
    steps.finishChannel(song, player, c);
  }
}

SongSample* sampleAt(const Song& song, std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(song.samples.size())) return &invalidSample();
  return song.samples[static_cast<std::size_t>(index)];
}

}  // namespace

void tickSong(Song& song, MusicPlayer& player, const ChannelSteps& steps) {
  if (song.tick != 0) {
    for (SongChannel& c : song.channels) tickChannel(song, player, c, steps);
  } else {
    if (!takePosition(song)) return;
    runRow(song, player, steps);
    advanceRow(song);
  }
  advanceTick(song);
}

void settleTremolo(const SongChannel& c, Voice& v, const Cell& cell, std::uint8_t tremolo) {
  if (c.previousEffect == tremolo && cell.effect != tremolo) v.volume = std::clamp(v.volume + v.volumeDelta, 0, 64);
  v.volumeDelta = 0;
}

Voice& startSampleCell(Song& song, MusicPlayer& player, SongChannel& c, const Cell& cell, bool slide,
                       std::uint8_t tremolo) {
  if (cell.instrument) c.instrument = cell.instrument - 1;
  const bool realNote = cell.note != kNoNote && cell.note != kKeyOff;
  Voice& v = (realNote || cell.instrument) ? player.voiceFor(song, c) : player.currentVoice(c);
  SongSample* sample = sampleAt(song, c.instrument);
  settleTremolo(c, v, cell, tremolo);
  v.flags = 0;
  if (realNote) {
    c.period = c4Period(cell.note - 1, sample->c4Rate);
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
    restartWaves(c);
  }
  return v;
}

}  // namespace korvo::sound::music
