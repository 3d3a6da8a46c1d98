// Voices reach their channels by bare index (serial 0), so a voice keeps its channel through
// every note it starts. Reserved channels are set to absolute volume: a song's level is its
// own master volume, not the sound effects' one. A song sample that a program frees through
// the engine is forgotten here first (no note can start it any more), then by the player.
#include "sound/music/engine_music.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "sound/engine/sound_engine.h"
#include "sound/music/midi_player.h"

namespace korvo::sound::music {
namespace {

constexpr std::int32_t kDefaultPriority = 255;

}  // namespace

std::int32_t EngineMusic::createSample(const SongSample& header, const void* data, std::size_t dataBytes,
                                       std::uint32_t srcMode, std::int32_t& error) {
  const std::uint32_t m = (header.is16Bit ? mode::k16Bits : mode::k8Bits) | mode::kMono | header.loopMode;
  Sample* s = engine_.allocSample(kSlotFree, header.length, m, header.c4Rate, 255, header.pan, kDefaultPriority);
  if (!s) {
    error = static_cast<std::int32_t>(lastError());
    return -1;
  }
  s->name = header.name;
  s->c4Rate = header.c4Rate;
  s->ownedBySong = true;
  if (!engine_.uploadSampleData(s, data, srcMode, dataBytes)) {
    error = static_cast<std::int32_t>(lastError());
    engine_.freeSample(s);
    return -1;
  }
  // The loader keeps the loop inside the sample; setting the mode refreshes the guard samples.
  s->loopStart = header.loopStart;
  s->loopLength = header.loopLength;
  engine_.setSampleMode(s, header.loopMode);
  std::lock_guard lock(samplesMutex_);
  samples_.push_back(s);
  return static_cast<std::int32_t>(samples_.size()) - 1;
}

EngineMusic::~EngineMusic() {
  if (freedHandler_) engine_.setSongSampleHook({});
}

void EngineMusic::freeSample(std::int32_t pcm) {
  Sample* s = nullptr;
  {
    std::lock_guard lock(samplesMutex_);
    if (pcm < 0 || pcm >= static_cast<std::int32_t>(samples_.size())) return;
    // Gone from the table before the engine's hook runs: the player frees it itself.
    s = std::exchange(samples_[static_cast<std::size_t>(pcm)], nullptr);
  }
  if (s) engine_.freeSample(s);
}

void EngineMusic::setSampleFreedHandler(std::function<void(std::int32_t pcm)> handler) {
  freedHandler_ = std::move(handler);
  if (freedHandler_) engine_.setSongSampleHook([this](Sample* s) { engineFreed(s); });
  else engine_.setSongSampleHook({});
}

void EngineMusic::engineFreed(Sample* sample) {
  std::int32_t pcm = -1;
  {
    std::lock_guard lock(samplesMutex_);
    auto it = std::find(samples_.begin(), samples_.end(), sample);
    if (it == samples_.end()) return;
    *it = nullptr;
    pcm = static_cast<std::int32_t>(it - samples_.begin());
  }
  if (freedHandler_) freedHandler_(pcm);
}

Sample* EngineMusic::sample(std::int32_t pcm) const {
  std::lock_guard lock(samplesMutex_);
  if (pcm < 0 || pcm >= static_cast<std::int32_t>(samples_.size())) return nullptr;
  return samples_[static_cast<std::size_t>(pcm)];
}

std::int32_t EngineMusic::readiness() const {
  if (!engine_.initialised()) return static_cast<std::int32_t>(EngineError::kNotStarted);
  if (engine_.blockLength() <= 0) return static_cast<std::int32_t>(EngineError::kOutputStartFailed);
  return 0;
}

void EngineMusic::setError(std::int32_t code) { korvo::sound::setError(static_cast<EngineError>(code)); }

std::int32_t EngineMusic::mixRate() const { return engine_.mixRate(); }

std::int32_t EngineMusic::voiceChannels() const { return engine_.softwareChannels(); }

std::int32_t EngineMusic::reserveChannel() { return engine_.reserveVoiceChannel(); }

void EngineMusic::releaseChannel(std::int32_t channel) { engine_.releaseVoiceChannel(channel); }

std::int32_t EngineMusic::startNote(std::int32_t channel, std::int32_t pcm, std::uint32_t offset) {
  Sample* s = sample(pcm);
  if (!s) {
    // The invalid sample: the note ends at once.
    engine_.stopChannel(channel);
    return -1;
  }
  const std::int32_t handle = engine_.playSample(channel, s, true, &voiceList_);
  if (handle < 0) return -1;
  if (offset) engine_.setChannelPosition(handle, offset);
  engine_.setChannelPaused(handle, false);
  return handle;
}

void EngineMusic::stopNote(std::int32_t channel) { engine_.stopChannel(channel); }

void EngineMusic::setVolume(std::int32_t channel, std::int32_t volume) { engine_.setChannelVolume(channel, volume); }

void EngineMusic::setPan(std::int32_t channel, std::int32_t pan) { engine_.setVoicePan(channel, pan); }

void EngineMusic::setFrequency(std::int32_t channel, std::int32_t hz) { engine_.setChannelFrequency(channel, hz); }

void EngineMusic::setFilter(std::int32_t channel, std::int32_t cutoffHz, float resonanceDb) {
  engine_.setVoiceFilter(channel, static_cast<float>(cutoffHz), resonanceDb);
}

bool EngineMusic::playsBackward(std::int32_t channel) const { return engine_.voicePlaysBackward(channel); }

bool EngineMusic::isPlaying(std::int32_t channel) const { return engine_.voicePlaying(channel); }

void EngineMusic::mix(void* buffer, std::int32_t channel, std::int32_t samples) {
  engine_.mixVoice(buffer, channel, samples);
}

std::int32_t EngineMusic::mixValueBytes() const { return engine_.mixValueBytes(); }

void EngineMusic::setScheduler(std::function<void(void*, std::int32_t)> scheduler) {
  engine_.setMusicMixer(std::move(scheduler));
}

void EngineMusic::waitMixIdle() { engine_.waitDspIdle(); }

MusicPlayer& musicPlayer() {
  static EngineMusic engine(soundEngine());
  // Made before the player, which hands it MIDI songs to the end.
  static MidiPlayer midi(&makeFluidSynth);
  static MusicPlayer player(engine, &midi);
  return player;
}

}  // namespace korvo::sound::music
