// What every module loader target does with its input: load it through the player (which
// tries the formats in turn) on an engine that keeps nothing but checks every call, then play
// some forty ticks of whatever loads, so that hostile values that pass a loader (envelope
// points, orders, effect parameters) meet the player too.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "sound/music/music_player.h"

namespace korvo::fuzz {

using namespace korvo::sound::music;

// An engine that keeps nothing but checks what the player hands it.
class CheckingEngine : public MusicEngine {
 public:
  std::int32_t createSample(const SongSample& s, const void*, std::size_t, std::uint32_t, std::int32_t&) override {
    if (s.loopStart + s.loopLength > s.length || s.loopStart > s.length) __builtin_trap();
    return 0;
  }
  void freeSample(std::int32_t) override {}
  void setSampleFreedHandler(std::function<void(std::int32_t)>) override {}
  std::int32_t readiness() const override { return 0; }
  void setError(std::int32_t) override {}
  std::int32_t mixRate() const override { return 44100; }
  std::int32_t voiceChannels() const override { return 32; }
  std::int32_t reserveChannel() override {
    for (int i = 0; i < 32; ++i) {
      if (!reserved_[i]) {
        reserved_[i] = true;
        return i;
      }
    }
    return -1;
  }
  void releaseChannel(std::int32_t c) override { reserved_[check(c)] = false; }
  std::int32_t startNote(std::int32_t c, std::int32_t, std::uint32_t) override { return check(c); }
  void stopNote(std::int32_t c) override { check(c); }
  void setVolume(std::int32_t c, std::int32_t v) override {
    check(c);
    if (v < 0 || v > 255) __builtin_trap();
  }
  void setPan(std::int32_t c, std::int32_t p) override {
    check(c);
    if (p < 0 || p > 255) __builtin_trap();
  }
  void setFrequency(std::int32_t c, std::int32_t) override { check(c); }
  void setFilter(std::int32_t c, std::int32_t hz, float db) override {
    check(c);
    if (hz < 0 || hz > 22050 || !(db >= 0.0f && db <= 24.0f)) __builtin_trap();
  }
  bool playsBackward(std::int32_t) const override { return false; }
  bool isPlaying(std::int32_t c) const override {
    if (c < 0 || c >= 32 || !reserved_[c]) __builtin_trap();
    return c % 2 == 0;
  }
  void mix(void*, std::int32_t c, std::int32_t) override { check(c); }
  std::int32_t mixValueBytes() const override { return 8; }
  void setScheduler(std::function<void(void*, std::int32_t)> s) override { scheduler = std::move(s); }
  void waitMixIdle() override {}

  std::function<void(void*, std::int32_t)> scheduler;

 private:
  int check(std::int32_t c) {
    if (c < 0 || c >= 32 || !reserved_[c]) __builtin_trap();
    return c;
  }
  bool reserved_[32] = {};
};

inline void loadAndPlay(const std::uint8_t* data, std::size_t size) {
  CheckingEngine engine;
  MusicPlayer player(engine);
  Song* song = player.loadSongFromMemory(data, size);
  if (!song) return;
  // Four ticks where one would be: more rows in the same few blocks.
  song->tempoScale = 4.0f;
  player.playSong(song);
  std::vector<float> block(2 * 1102);
  for (int i = 0; i < 8 && song->playing; ++i) engine.scheduler(block.data(), 1102);
}

// The input with a format's signature written over it at offset, so that the fuzzer's
// changes reach that format's loader (the player tries the formats in turn).
inline std::vector<std::uint8_t> withSignature(const std::uint8_t* data, std::size_t size, std::size_t offset,
                                               const char* tag) {
  std::vector<std::uint8_t> bytes(data, data + size);
  for (std::size_t i = 0; tag[i] && offset + i < bytes.size(); ++i)
    bytes[offset + i] = static_cast<std::uint8_t>(tag[i]);
  return bytes;
}

}  // namespace korvo::fuzz
