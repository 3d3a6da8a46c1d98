// Loading a sound file, or sound data in memory, into an engine sample.
#pragma once

#include <cstdint>

#include "sound/engine/sound_engine.h"
#include "sound/formats/sound_file.h"

namespace korvo::sound {

// Loads source into slot (-1 the first free, -2 outside the table). Raw data (mode 0x10000)
// is taken as it stands in the mode's format; otherwise the content picks the loader (MPEG
// audio, Ogg Vorbis, AIFF, WAV). Null on failure with the engine's code: 2 not started,
// 9 unopenable, 10 not recognised, 11 empty raw file, 12 out of memory, 14 bad arguments.
Sample* loadSample(SoundEngine& engine, int slot, const formats::SoundSource& source, std::uint32_t modeWord);

// The engine's own form: nameOrData names a file or, with mode bit 0x8000, is length bytes
// in memory; a null name or memory of no length is a bad argument.
Sample* loadSample(SoundEngine& engine, int slot, const void* nameOrData, std::uint32_t modeWord, std::int32_t length);

}  // namespace korvo::sound
