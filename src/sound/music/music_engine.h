// The small interface through which the music player drives the sound engine: samples for
// song data, reserved channels for voices, and mixing a voice into the music unit's block.
// The engine adapter implements it; tests implement it to trace what the player does.
#pragma once

#include <cstdint>
#include <functional>

#include "sound/music/song.h"

namespace korvo::sound::music {

// Where loaders put sample data.
class SampleSink {
 public:
  virtual ~SampleSink() = default;
  // An engine sample made from header (length, loop) and the dataBytes bytes at data in
  // srcMode (the engine's mode bits for depth, sign, delta coding and compression); -1 on
  // failure with the engine error's number in error.
  virtual std::int32_t createSample(const SongSample& header, const void* data, std::size_t dataBytes,
                                    std::uint32_t srcMode, std::int32_t& error) = 0;
  virtual void freeSample(std::int32_t pcm) = 0;
};

class MusicEngine : public SampleSink {
 public:
  // Errors cross this interface as EngineError numbers (errorNumber).
  // 0 when songs can be loaded, else the engine error (2 not started, 3 no block length).
  virtual std::int32_t readiness() const = 0;
  virtual void setError(std::int32_t code) = 0;
  // Who to tell (with the sample's id) when a song's sample is freed by someone other than
  // the player, e.g. a program freeing it through the engine; empty to tell no one.
  virtual void setSampleFreedHandler(std::function<void(std::int32_t pcm)> handler) = 0;
  virtual std::int32_t mixRate() const = 0;
  // How many voices the pool may hold (the software channels).
  virtual std::int32_t voiceChannels() const = 0;

  // Reserves an idle software channel; -1 when none is left.
  virtual std::int32_t reserveChannel() = 0;
  // Stops the channel, unreserves it and returns it to the idle channels.
  virtual void releaseChannel(std::int32_t channel) = 0;
  // Starts pcm on channel at frame offset; the new handle or -1.
  virtual std::int32_t startNote(std::int32_t channel, std::int32_t pcm, std::uint32_t offset) = 0;
  virtual void stopNote(std::int32_t channel) = 0;
  // Volume 0..255 set absolutely (no master volume); pan 0..255 without the engine's separation.
  virtual void setVolume(std::int32_t channel, std::int32_t volume) = 0;
  virtual void setPan(std::int32_t channel, std::int32_t pan) = 0;
  virtual void setFrequency(std::int32_t channel, std::int32_t hz) = 0;
  // A resonant low-pass on the channel at cutoffHz with a peak of resonanceDb; 0 Hz: none.
  virtual void setFilter(std::int32_t channel, std::int32_t cutoffHz, float resonanceDb) = 0;
  virtual bool playsBackward(std::int32_t channel) const = 0;
  // Whether the channel still plays a note (a note without a loop ends by itself).
  virtual bool isPlaying(std::int32_t channel) const = 0;

  // Mixes samples output samples of channel into buffer (mix values of the current mixer).
  virtual void mix(void* buffer, std::int32_t channel, std::int32_t samples) = 0;
  virtual std::int32_t mixValueBytes() const = 0;
  // Installs (or, with an empty function, removes) the scheduler as the music unit.
  virtual void setScheduler(std::function<void(void*, std::int32_t)> scheduler) = 0;
  // Waits while a mix pass runs (from the program's thread).
  virtual void waitMixIdle() = 0;
};

}  // namespace korvo::sound::music
