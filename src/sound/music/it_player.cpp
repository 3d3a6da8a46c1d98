// The IT tick handler: order entries that skip (254) or end (255) the song, rows unpacked
// one at a time, note delays, the volume column, the lettered effects and IT's own (note
// actions, the filter), and the start hook that finds the first order with a pattern.
#include <algorithm>
#include <array>

#include "sound/music/effect_steps.h"
#include "sound/music/formats.h"
#include "sound/music/it_format.h"
#include "sound/music/it_player.h"
#include "sound/music/letter_effects.h"
#include "sound/music/song_clock.h"

namespace korvo::sound::music::it {
namespace {

// Tone portamento speeds of the volume column's 193..202 (193 keeps the last).
constexpr std::array<std::uint8_t, 10> kVolumeColumnPorta = {0, 1, 4, 8, 16, 32, 64, 96, 128, 255};

std::int32_t arpeggioPeriod(const Song& song, const Voice& v, std::int32_t note) {
  return v.sample ? notePeriod(song, *v.sample, note) : 0;
}

letters::Rules rulesOf(const Song&) {
  letters::Rules rules;
  rules.globalTop = 128;
  rules.halfPan = false;
  rules.hexBreak = true;
  rules.highOffset = true;
  rules.notePeriod = &arpeggioPeriod;
  return rules;
}

// Settles a pending order on a pattern: skip entries move on, end entries (and the end of
// the song) go to the restart order. False when a song that does not loop has ended.
bool settleOrder(Song& song) {
  if (song.nextOrder < 0) return true;
  std::int32_t order = song.nextOrder;
  for (std::int32_t guard = 0; guard <= 2 * static_cast<std::int32_t>(song.orders.size()); ++guard) {
    if (order >= song.songLength || song.orders[static_cast<std::size_t>(order)] == kEndOrder) {
      song.finished = true;
      if (!song.looping) {
        song.playing = false;
        return false;
      }
      order = song.restartPosition;
    } else if (song.orders[static_cast<std::size_t>(order)] == kSkipOrder) {
      ++order;
    } else {
      song.nextOrder = order;
      return true;
    }
  }
  song.playing = false;
  song.finished = true;
  return false;
}

// The volume column on tick 0 (value = file byte).
void volumeColumnRow(SongChannel& c, Voice& v, std::int32_t value) {
  if (value <= 64) {
    v.volume = value;
  } else if (value <= 74) {
    v.volume = std::min(v.volume + value - 65, 64);
  } else if (value <= 84) {
    v.volume = std::max(v.volume - (value - 75), 0);
  } else if (value >= 128 && value <= 192) {
    c.pan = std::min((value - 128) * 4, 255);
    v.pan = c.pan;
  } else if (value >= 193 && value <= 202) {
    startTonePortamento(c, kVolumeColumnPorta[static_cast<std::size_t>(value - 193)]);
  } else if (value >= 203 && value <= 212) {
    if (value > 203) c.vibratoDepth = value - 203;
  }
}

// The volume column on later ticks.
void volumeColumnTick(SongChannel& c, Voice& v, std::int32_t value) {
  if (value >= 85 && value <= 94) v.volume = std::min(v.volume + value - 85, 64);
  else if (value >= 95 && value <= 104) v.volume = std::max(v.volume - (value - 95), 0);
  else if (value >= 105 && value <= 114) v.period += (value - 105) * 4;
  else if (value >= 115 && value <= 124) v.period = std::max(v.period - (value - 115) * 4, 1);
  else if (value >= 193 && value <= 202) tonePortamento(c, v);
  else if (value >= 203 && value <= 212) vibrato(c, v);
}

// IT's own effects on tick 0: note actions and the filter.
void ownRowEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell, MusicPlayer& player) {
  const std::uint8_t p = cell.param;
  if (cell.effect == letters::kSpecial && hi(p) == letters::kNoteActions) {
    noteActions(player, c, lo(p));
  } else if (cell.effect == letters::kMacro) {
    // Z00..Z7F: cutoff; Z80..Z8F: resonance.
    if (p < 0x80) v.cutoff = p;
    else if (p < 0x90) v.resonance = (p & 0x0F) * 8;
    if (song.callbacks.effect) song.callbacks.effect(song, p, song.callbacks.user);
  }
}

void playRow(Song& song, MusicPlayer& player, SongChannel& c, const Cell& cell, const letters::Rules& rules) {
  Voice& v = startCell(song, player, c, cell);
  if (cell.volume) volumeColumnRow(c, v, cell.volume - 1);
  if (!letters::rowEffect(song, c, v, cell, rules)) ownRowEffect(song, c, v, cell, player);
  finishChannel(song, player, c);
}

void tickChannel(Song& song, MusicPlayer& player, SongChannel& c, const letters::Rules& rules) {
  const Cell& cell = c.cell;
  if (c.delayed) {
    if (song.tick != lo(cell.param)) return;
    c.delayed = false;
    playRow(song, player, c, cell, rules);
    return;
  }
  if (!c.voices) return;
  Voice& v = *c.voices;
  v.volumeDelta = 0;
  v.periodDelta = 0;
  if (cell.volume) volumeColumnTick(c, v, cell.volume - 1);
  letters::tickEffect(song, c, v, cell, rules);
  finishChannel(song, player, c);
}

void runRow(Song& song, MusicPlayer& player, const letters::Rules& rules) {
  const std::int32_t pattern = song.orders[static_cast<std::size_t>(song.order)];
  unpackRow(song, pattern, song.row);
  for (std::int32_t ch = 0; ch < song.channelCount(); ++ch) {
    SongChannel& c = song.channels[static_cast<std::size_t>(ch)];
    const Cell& cell = song.packedRows.cells[static_cast<std::size_t>(ch)];
    c.previousEffect = c.cell.effect;
    c.cell = cell;
    c.newNoteAction = -1;
    c.delayed = letters::isNoteDelay(cell);
    if (c.delayed) continue;
    playRow(song, player, c, cell, rules);
  }
}

void tick(Song& song, MusicPlayer& player) {
  const letters::Rules rules = rulesOf(song);
  if (song.tick != 0) {
    for (SongChannel& c : song.channels) tickChannel(song, player, c, rules);
  } else {
    if (!settleOrder(song) || !takePosition(song)) return;
    runRow(song, player, rules);
    advanceRow(song);
  }
  advanceTick(song);
}

// The song starts at its first order that names a pattern; with none it cannot play.
bool start(Song& song) {
  song.packedRows = PackedRows{};
  for (std::int32_t o = 0; o < song.songLength; ++o) {
    if (song.orders[static_cast<std::size_t>(o)] < kSkipOrder) {
      song.order = o;
      return true;
    }
  }
  song.finished = true;
  return false;
}

}  // namespace
}  // namespace korvo::sound::music::it

namespace korvo::sound::music {

const SongFormat& itFormat() {
  static const SongFormat kFormat{SongKind::kIt, &it::tick, &it::start, &it::voiceVolume};
  return kFormat;
}

}  // namespace korvo::sound::music
