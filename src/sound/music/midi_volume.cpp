// The master-volume table of MIDI songs: 257 entries in hundredths of a decibel, fixed at the
// volumes below and filled between them on a logarithmic volume axis, where the fixed rows
// lie close to a straight line (about 33 hundredths of a decibel per percent of level).
#include <array>
#include <cmath>

#include "sound/music/midi_player.h"

namespace korvo::sound::music {
namespace {

struct VolumeRow {
  std::int32_t volume;
  std::int32_t centibels;
};

constexpr VolumeRow kFixedRows[] = {
    {0, -10000}, {1, -7678}, {2, -6830}, {64, -1994}, {128, -997}, {255, 0}, {256, 0},
};

constexpr std::size_t kEntries = 257;

std::array<std::int32_t, kEntries> makeTable() {
  std::array<std::int32_t, kEntries> table{};
  for (std::size_t r = 0; r + 1 < std::size(kFixedRows); ++r) {
    const VolumeRow a = kFixedRows[r];
    const VolumeRow b = kFixedRows[r + 1];
    table[static_cast<std::size_t>(a.volume)] = a.centibels;
    for (std::int32_t v = a.volume + 1; v < b.volume; ++v) {
      const double t = std::log(static_cast<double>(v) / a.volume) / std::log(static_cast<double>(b.volume) / a.volume);
      table[static_cast<std::size_t>(v)] =
          static_cast<std::int32_t>(std::lround(a.centibels + t * (b.centibels - a.centibels)));
    }
  }
  table[kEntries - 1] = kFixedRows[std::size(kFixedRows) - 1].centibels;
  return table;
}

}  // namespace

std::int32_t midiVolumeCentibels(std::int32_t volume) {
  static const std::array<std::int32_t, kEntries> kTable = makeTable();
  const std::int32_t v = volume < 0 ? 0 : volume > 256 ? 256 : volume;
  return kTable[static_cast<std::size_t>(v)];
}

}  // namespace korvo::sound::music
