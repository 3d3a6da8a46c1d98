// Effect steps that several formats' players share: slides of volume and pitch, tone
// portamento, tremor, retriggering and the multi-retrigger volume changes.
#pragma once

#include <cstdint>

#include "sound/music/song.h"

namespace korvo::sound::music {

inline std::int32_t hi(std::uint8_t param) { return param >> 4; }
inline std::int32_t lo(std::uint8_t param) { return param & 0x0F; }

// Volume slide: up by x (max 64), else down by y (min 0).
void volumeSlide(Voice& voice, std::uint8_t param);
// Slides the period toward the tone-portamento target by speed x 4 without passing it.
void tonePortamento(SongChannel& channel, Voice& voice);
// Tremor: silences the voice for its off ticks.
void tremor(SongChannel& channel, Voice& voice);
// A new instrument starts vibrato and tremolo again (unless their waveform keeps its place)
// and the retrigger count.
void restartWaves(SongChannel& channel);
// Starts the voice's note again from the beginning.
void retrigger(Voice& voice);
// The multi-retrigger volume change x (0..15) applied to volume, kept within 0..64.
std::int32_t retriggerVolume(std::int32_t volume, std::int32_t change);

}  // namespace korvo::sound::music
