// Effect steps that several formats' players share: slides of volume and pitch, tone
// portamento, vibrato and tremolo, sample offsets, tremor, retriggering and the
// multi-retrigger volume changes.
#pragma once

#include <cstdint>

#include "sound/music/song.h"

namespace korvo::sound::music {

inline std::int32_t hi(std::uint8_t param) { return param >> 4; }
inline std::int32_t lo(std::uint8_t param) { return param & 0x0F; }

// Volume slide: up by x (max 64), else down by y (min 0).
void volumeSlide(Voice& voice, std::uint8_t param);
// Tone portamento's row: the speed (0 keeps the last) and the channel's note as the target.
void startTonePortamento(SongChannel& channel, std::int32_t speed);
// Slides the period toward the tone-portamento target by speed x 4 without passing it.
void tonePortamento(SongChannel& channel, Voice& voice);
// Vibrato: the period delta at the channel's vibrato position, which moves on.
void vibrato(SongChannel& channel, Voice& voice);
// Tremolo: the volume delta at the channel's tremolo position, which moves on.
void tremolo(SongChannel& channel, Voice& voice);
// Sample offset (param x 256 plus high, param 0 repeating the last): a note starting on this
// row starts there, or stops when that lies past the sample's end.
void sampleOffset(SongChannel& channel, Voice& voice, std::uint8_t param, std::uint32_t high);
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
