// A music engine for tests that plays nothing and remembers what the player asked of each
// channel, so tests can follow voices tick by tick.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sound/music/music_engine.h"

namespace korvo::sound::test {

struct TracedChannel {
  bool reserved = false;
  bool playing = false;
  std::int32_t pcm = -1;
  std::uint32_t offset = 0;
  std::int32_t volume = 0;
  std::int32_t pan = 128;
  std::int32_t frequency = 0;
  // The filter last asked for: cutoff in Hz (0 none) and resonance; how many times.
  std::int32_t filterHz = 0;
  float resonanceDb = 0;
  std::int32_t filterCalls = 0;
  std::int32_t starts = 0;
  // Output sample at which the last note started.
  std::int64_t startedAt = -1;
};

class TraceEngine : public music::MusicEngine {
 public:
  std::int32_t createSample(const music::SongSample& header, const void* data, std::size_t dataBytes,
                            std::uint32_t srcMode, std::int32_t&) override {
    lengths.push_back(header.length);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    sampleData.emplace_back(bytes, bytes + std::min<std::size_t>(dataBytes, 16));
    sampleModes.push_back(srcMode);
    return static_cast<std::int32_t>(lengths.size()) - 1;
  }
  void freeSample(std::int32_t pcm) override { freed.push_back(pcm); }
  void setSampleFreedHandler(std::function<void(std::int32_t)> handler) override { sampleFreed = std::move(handler); }
  std::int32_t readiness() const override { return 0; }
  void setError(std::int32_t code) override { error = code; }
  std::int32_t mixRate() const override { return 44100; }
  std::int32_t voiceChannels() const override { return static_cast<std::int32_t>(channels.size()); }
  std::int32_t reserveChannel() override {
    for (std::size_t i = 0; i < channels.size(); ++i) {
      if (!channels[i].reserved) {
        channels[i].reserved = true;
        return static_cast<std::int32_t>(i);
      }
    }
    return -1;
  }
  void releaseChannel(std::int32_t c) override { channels[static_cast<std::size_t>(c)] = TracedChannel{}; }
  std::int32_t startNote(std::int32_t c, std::int32_t pcm, std::uint32_t offset) override {
    TracedChannel& t = channels[static_cast<std::size_t>(c)];
    t.pcm = pcm;
    t.playing = pcm >= 0;
    t.offset = offset;
    ++t.starts;
    t.startedAt = mixed;
    return t.playing ? c : -1;
  }
  void stopNote(std::int32_t c) override { channels[static_cast<std::size_t>(c)].playing = false; }
  void setVolume(std::int32_t c, std::int32_t v) override { channels[static_cast<std::size_t>(c)].volume = v; }
  void setPan(std::int32_t c, std::int32_t p) override { channels[static_cast<std::size_t>(c)].pan = p; }
  void setFrequency(std::int32_t c, std::int32_t hz) override { channels[static_cast<std::size_t>(c)].frequency = hz; }
  void setFilter(std::int32_t c, std::int32_t hz, float db) override {
    TracedChannel& t = channels[static_cast<std::size_t>(c)];
    t.filterHz = hz;
    t.resonanceDb = db;
    ++t.filterCalls;
  }
  bool playsBackward(std::int32_t) const override { return false; }
  bool isPlaying(std::int32_t c) const override { return channels[static_cast<std::size_t>(c)].playing; }
  void mix(void*, std::int32_t, std::int32_t) override {}
  std::int32_t mixValueBytes() const override { return 8; }
  void setScheduler(std::function<void(void*, std::int32_t)> s) override { scheduler = std::move(s); }
  void waitMixIdle() override {}

  // Runs the scheduler over samples output samples.
  void run(std::int32_t samples) {
    std::vector<float> buffer(static_cast<std::size_t>(samples) * 2);
    scheduler(buffer.data(), samples);
    mixed += samples;
  }

  std::vector<TracedChannel> channels = std::vector<TracedChannel>(32);
  std::vector<std::uint32_t> lengths;
  // The first bytes of each sample's data as the loader handed it over, and its mode.
  std::vector<std::vector<std::uint8_t>> sampleData;
  std::vector<std::uint32_t> sampleModes;
  std::vector<std::int32_t> freed;
  std::function<void(void*, std::int32_t)> scheduler;
  std::function<void(std::int32_t)> sampleFreed;
  std::int32_t error = 0;
  std::int64_t mixed = 0;
};

}  // namespace korvo::sound::test
