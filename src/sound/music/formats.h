// The tracker formats the player knows: each brings a loader that fills a song from a file's
// bytes and a format descriptor with its tick handler. loadSong tries them in turn.
#pragma once

#include <cstdint>

#include "sound/music/byte_reader.h"
#include "sound/music/music_engine.h"
#include "sound/music/song.h"

namespace korvo::sound::music {

// Engine error codes the loaders answer with.
namespace songerror {
inline constexpr std::int32_t kNone = 0;
inline constexpr std::int32_t kNotStarted = 2;
inline constexpr std::int32_t kNoBlockLength = 3;
inline constexpr std::int32_t kFileOpen = 9;
inline constexpr std::int32_t kUnrecognised = 10;
inline constexpr std::int32_t kTooManySamples = 11;
inline constexpr std::int32_t kOutOfMemory = 12;
}  // namespace songerror

// Fills song from the file in reader; 0 or an engine error code. Samples go to sink; on
// failure the caller frees what the song holds.
using SongLoader = std::int32_t (*)(Song& song, ByteReader& reader, SampleSink& sink);

// XM: the loader and the format descriptor.
std::int32_t loadXm(Song& song, ByteReader& reader, SampleSink& sink);
const SongFormat& xmFormat();

// The volume of a voice with every factor: volume, envelope, fadeout, global and master.
std::int32_t fullVoiceVolume(const Song& song, const Voice& voice);

}  // namespace korvo::sound::music
