// The sound file loaders. Each reads the file from its start and fills a DecodedAudio; each
// answers kLoadNotRecognised when the data is not its format, so that the next may try.
#pragma once

#include <cstdint>

#include "sound/formats/decoded_audio.h"
#include "sound/formats/sound_file.h"

namespace korvo::sound::formats {

// The whole file as PCM in the requested mode's format (depth, channels, conventions).
int loadRaw(SoundFile& file, std::uint32_t mode, DecodedAudio& out);
// RIFF WAVE: PCM directly, other codings converted to 16-bit.
int loadWav(SoundFile& file, std::uint32_t mode, DecodedAudio& out);
// AIFF: 8- or 16-bit PCM, sustain loop and markers.
int loadAiff(SoundFile& file, std::uint32_t mode, DecodedAudio& out);
// MPEG audio layers I-III (bare, after ID3 or TAG blocks, or inside a RIFF wrapper).
int loadMpeg(SoundFile& file, std::uint32_t mode, DecodedAudio& out);
// Ogg Vorbis.
int loadOgg(SoundFile& file, std::uint32_t mode, DecodedAudio& out);

// Raw data when the mode asks for it; otherwise MPEG audio, Ogg Vorbis, AIFF and WAV in turn
// while none recognises the data. A result without frames is an invalid argument.
int decodeSound(SoundFile& file, std::uint32_t mode, DecodedAudio& out);

}  // namespace korvo::sound::formats
