// The sound file loaders. Each reads the file from its start and fills a DecodedAudio; each
// answers EngineError::kUnrecognised when the data is not its format, so that the next may try.
#pragma once

#include <cstdint>
#include <vector>

#include "sound/formats/decoded_audio.h"
#include "sound/formats/sound_file.h"

namespace korvo::sound::formats {

// The whole file as PCM in the requested mode's format (depth, channels, conventions).
EngineError loadRaw(SoundFile& file, std::uint32_t requested, DecodedAudio& out);
// RIFF WAVE: PCM directly, other codings converted to 16-bit.
EngineError loadWav(SoundFile& file, std::uint32_t requested, DecodedAudio& out);
// AIFF: 8- or 16-bit PCM, sustain loop and markers.
EngineError loadAiff(SoundFile& file, std::uint32_t requested, DecodedAudio& out);
// MPEG audio layers I-III (bare, after ID3 or TAG blocks, or inside a RIFF wrapper).
EngineError loadMpeg(SoundFile& file, std::uint32_t requested, DecodedAudio& out);
// Ogg Vorbis.
EngineError loadOgg(SoundFile& file, std::uint32_t requested, DecodedAudio& out);

// Raw data when the mode asks for it; otherwise MPEG audio, Ogg Vorbis, AIFF and WAV in turn
// while none recognises the data. A result without frames is an invalid argument.
EngineError decodeSound(SoundFile& file, std::uint32_t requested, DecodedAudio& out);

}  // namespace korvo::sound::formats
