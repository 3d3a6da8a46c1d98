// IT rows are unpacked one at a time from the pattern's packed bytes: a channel byte (0 ends
// the row), an optional new mask, then the values the mask names, or the channel's last
// ones. Reading stops at the end of the packed bytes: the rest of the pattern is empty.
#include <algorithm>

#include "sound/music/it_format.h"

namespace korvo::sound::music::it {
namespace {

std::uint8_t noteByte(std::uint8_t file) {
  if (file < kNotes) return static_cast<std::uint8_t>(file + 1);
  if (file == 255) return kNoteOff;
  if (file == 254) return kNoteCut;
  return kNoteFade;
}

void restart(PackedRows& p, std::int32_t pattern, std::size_t channels) {
  p.pattern = pattern;
  p.row = -1;
  p.offset = 0;
  p.masks.assign(channels, 0);
  p.last.assign(channels, Cell{});
  p.cells.assign(channels, Cell{});
}

void unpackNext(PackedRows& p, const std::vector<std::uint8_t>& bytes) {
  std::fill(p.cells.begin(), p.cells.end(), Cell{});
  ++p.row;
  const auto next = [&](std::uint8_t& out) {
    if (p.offset >= bytes.size()) return false;
    out = bytes[p.offset++];
    return true;
  };
  std::uint8_t what = 0;
  while (next(what) && what != 0) {
    const std::size_t ch = static_cast<std::size_t>((what - 1) & 63);
    // Channels beyond the song's read into a scratch place.
    Cell scratch, scratchLast;
    std::uint8_t scratchMask = 0;
    const bool inSong = ch < p.cells.size();
    Cell& c = inSong ? p.cells[ch] : scratch;
    Cell& last = inSong ? p.last[ch] : scratchLast;
    std::uint8_t& mask = inSong ? p.masks[ch] : scratchMask;
    if ((what & 0x80) && !next(mask)) return;
    std::uint8_t value = 0;
    if (mask & 0x01) {
      if (!next(value)) return;
      last.note = c.note = noteByte(value);
    }
    if (mask & 0x02) {
      if (!next(value)) return;
      last.instrument = c.instrument = value;
    }
    if (mask & 0x04) {
      if (!next(value)) return;
      last.volume = c.volume = static_cast<std::uint8_t>(std::min<std::int32_t>(value, 0xFE) + 1);
    }
    if (mask & 0x08) {
      if (!next(c.effect) || !next(c.param)) return;
      last.effect = c.effect;
      last.param = c.param;
    }
    if (mask & 0x10) c.note = last.note;
    if (mask & 0x20) c.instrument = last.instrument;
    if (mask & 0x40) c.volume = last.volume;
    if (mask & 0x80) c.effect = last.effect, c.param = last.param;
  }
}

}  // namespace

void unpackRow(Song& song, std::int32_t pattern, std::int32_t row) {
  PackedRows& p = song.packedRows;
  const std::vector<std::uint8_t>& bytes = song.patterns[static_cast<std::size_t>(pattern)].packed;
  if (p.pattern != pattern || row != p.row + 1 || p.cells.size() != song.channels.size()) {
    restart(p, pattern, song.channels.size());
  }
  while (p.row < row) unpackNext(p, bytes);
}

}  // namespace korvo::sound::music::it
