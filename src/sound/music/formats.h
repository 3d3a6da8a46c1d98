// The tracker formats the player knows: each brings a loader that fills a song from a file's
// bytes and a format descriptor with its tick handler. loadSong tries them in turn.
#pragma once

#include <cstdint>

#include "sound/engine/engine_error.h"
#include "sound/formats/byte_reader.h"
#include "sound/music/music_engine.h"
#include "sound/music/song.h"

namespace korvo::sound::music {

using formats::ByteReader;

// Fills song from the file in reader. Samples go to sink; on failure the caller frees what the
// song holds. kUnrecognised lets the next loader try.
using SongLoader = EngineError (*)(Song& song, ByteReader& reader, SampleSink& sink);

// Each format: its loader and its format descriptor.
EngineError loadMod(Song& song, ByteReader& reader, SampleSink& sink);
const SongFormat& modFormat();
EngineError loadS3m(Song& song, ByteReader& reader, SampleSink& sink);
const SongFormat& s3mFormat();
EngineError loadXm(Song& song, ByteReader& reader, SampleSink& sink);
const SongFormat& xmFormat();
EngineError loadIt(Song& song, ByteReader& reader, SampleSink& sink);
const SongFormat& itFormat();

// S3M format flags: volume slides act on tick 0 too; a mono song (no stereo bit) ignores
// every pan.
inline constexpr std::uint32_t kS3mFastSlides = 0x1;
inline constexpr std::uint32_t kS3mMono = 0x2;

// The volume of a voice with every factor: volume, envelope, fadeout, global and master.
std::int32_t fullVoiceVolume(const Song& song, const Voice& voice);

}  // namespace korvo::sound::music
