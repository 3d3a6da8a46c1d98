// What the tracker loaders do alike with a sample once its header is read: its loop, its cut
// to the frames the file holds, and its upload to the engine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/engine/engine_error.h"
#include "sound/music/music_engine.h"
#include "sound/music/song.h"

namespace korvo::sound::music {

// When looped, the loop start..end (cut to the sample's length) in loopMode (2 forward,
// 4 ping-pong); else one pass over the whole sample.
void setSampleLoop(SongSample& sample, bool looped, std::uint32_t start, std::uint32_t end, std::uint32_t loopMode);
// Cuts the sample to frames when it is longer; a loop that starts past them is dropped.
void cutSample(SongSample& sample, std::uint32_t frames);
// Makes the sample's engine sample from bytes bytes at data in srcMode: the engine's error,
// or out of memory where it names none.
EngineError uploadSample(SampleSink& sink, SongSample& sample, const void* data, std::size_t bytes,
                         std::uint32_t srcMode);

}  // namespace korvo::sound::music
