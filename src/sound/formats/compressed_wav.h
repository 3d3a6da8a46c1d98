// WAV data in a coding other than PCM (ADPCM, µ-law, A-law, GSM, float ...), converted to
// 16-bit signed PCM by the codec library.
#pragma once

#include <cstdint>

#include "sound/formats/decoded_audio.h"
#include "sound/formats/sound_decoder.h"

namespace korvo::sound::formats {

// The decoder of the whole RIFF file; blockAlign is the coding's block (from the format
// record). kUnrecognised when the coding cannot be converted.
DecoderResult openConvertedWavDecoder(SoundFile& file, std::int32_t blockAlign);

// Decodes the whole RIFF file; EngineError::kUnrecognised when the coding cannot be converted.
EngineError decodeCompressedWav(SoundFile& file, std::uint32_t requested, DecodedAudio& out);

}  // namespace korvo::sound::formats
