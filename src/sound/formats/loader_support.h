// Small steps the loaders share: the mode a file's format gives, loop and cue bookkeeping,
// bounded PCM accumulation for the decoders that produce data piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/formats/decoded_audio.h"

namespace korvo::sound::formats {

// The requested mode with its depth, channel and sign bits replaced by the file's.
std::uint32_t formatMode(std::uint32_t requested, int bits, int channels, bool isUnsigned);

// Records the decoded format and sets frames and the whole-sample loop from pcm's size.
// EngineError::kOutOfMemory when pcm exceeds the cap, EngineError::kNone otherwise.
EngineError finishDecode(DecodedAudio& out, std::uint32_t requested, int rate, int bits, int channels, bool isUnsigned);

// Takes a loop the file names (inclusive end): an end past the data is cut to the last frame;
// a loop that is then empty (0..0 included) is no loop.
void applyFileLoop(DecodedAudio& out, std::int64_t start, std::int64_t end);

// Stable sort by position.
void sortCues(std::vector<CuePoint>& cues);

// Appends bytes unless that would pass the PCM cap; false then.
bool appendPcm(std::vector<std::uint8_t>& pcm, const void* data, std::size_t size);

// Keeps the top 16 bits of each of samples values of width bytes (3 or 4) at source, as
// native 16-bit values at dest (which may be source itself).
void narrowTo16(const std::uint8_t* source, std::size_t samples, std::int32_t width, bool bigEndian,
                std::uint8_t* dest);

// True for rates a sample can be given (the mixer clamps what it plays anyway).
inline bool plausibleRate(double rate) { return rate >= 1 && rate <= 1e6; }

}  // namespace korvo::sound::formats
