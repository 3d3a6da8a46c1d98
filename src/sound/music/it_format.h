// IT's own numbers shared by its loader and player: header flags, note bytes, and the
// unpacking of one packed row.
#pragma once

#include <cstdint>

#include "sound/music/song.h"

namespace korvo::sound::music::it {

// Header flags (Song::formatFlags).
inline constexpr std::uint32_t kInstrumentMode = 0x4;
inline constexpr std::uint32_t kLinearSlides = 0x8;
inline constexpr std::uint32_t kOldEffects = 0x10;

// Cell note bytes: 1..120 notes, then these.
inline constexpr std::uint8_t kNoteFade = 253;
inline constexpr std::uint8_t kNoteCut = 254;
inline constexpr std::uint8_t kNoteOff = 255;
inline constexpr std::int32_t kNotes = 120;

// Order entries.
inline constexpr std::uint8_t kSkipOrder = 254;
inline constexpr std::uint8_t kEndOrder = 255;

// Unpacks the row of the pattern into song.packedRows.cells (the volume column stored + 1),
// unpacking again from the pattern's first row when row does not follow the last one.
void unpackRow(Song& song, std::int32_t pattern, std::int32_t row);

}  // namespace korvo::sound::music::it
