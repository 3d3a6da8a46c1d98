// The music engine interface on the sound engine: song samples are engine samples owned by
// their song, voices play on reserved software channels that only the music unit mixes, and
// the scheduler is the engine's music unit.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "sound/engine/channel.h"
#include "sound/music/music_engine.h"
#include "sound/music/music_player.h"

namespace korvo::sound {
class SoundEngine;
class Sample;
}  // namespace korvo::sound

namespace korvo::sound::music {

class EngineMusic : public MusicEngine {
 public:
  explicit EngineMusic(SoundEngine& engine) : engine_(engine) {}
  ~EngineMusic() override;
  EngineMusic(const EngineMusic&) = delete;
  EngineMusic& operator=(const EngineMusic&) = delete;

  std::int32_t createSample(const SongSample& header, const void* data, std::size_t dataBytes, std::uint32_t srcMode,
                            std::int32_t& error) override;
  void freeSample(std::int32_t pcm) override;
  void setSampleFreedHandler(std::function<void(std::int32_t pcm)> handler) override;
  std::int32_t readiness() const override;
  void setError(std::int32_t code) override;
  std::int32_t mixRate() const override;
  std::int32_t voiceChannels() const override;
  std::int32_t reserveChannel() override;
  void releaseChannel(std::int32_t channel) override;
  std::int32_t startNote(std::int32_t channel, std::int32_t pcm, std::uint32_t offset) override;
  void stopNote(std::int32_t channel) override;
  void setVolume(std::int32_t channel, std::int32_t volume) override;
  void setPan(std::int32_t channel, std::int32_t pan) override;
  void setFrequency(std::int32_t channel, std::int32_t hz) override;
  void setFilter(std::int32_t channel, std::int32_t cutoffHz, float resonanceDb) override;
  bool playsBackward(std::int32_t channel) const override;
  bool isPlaying(std::int32_t channel) const override;
  void mix(void* buffer, std::int32_t channel, std::int32_t samples) override;
  std::int32_t mixValueBytes() const override;
  void setScheduler(std::function<void(void*, std::int32_t)> scheduler) override;
  void waitMixIdle() override;

  // The engine sample behind a song sample id (null when freed).
  Sample* sample(std::int32_t pcm) const;

 private:
  // The engine's hook for song samples it frees: the sample's id goes to the handler.
  void engineFreed(Sample* sample);

  SoundEngine& engine_;
  // Guards samples_: notes start on the mixing thread while songs load on the program's.
  mutable std::mutex samplesMutex_;
  std::vector<Sample*> samples_;
  std::function<void(std::int32_t pcm)> freedHandler_;
  // Voices' channels join this list when they start; the music unit mixes them one by one.
  MixList voiceList_;
};

// The process's music player, on the process's sound engine.
MusicPlayer& musicPlayer();

}  // namespace korvo::sound::music
