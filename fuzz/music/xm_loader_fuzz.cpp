// The XM loader, then some forty ticks of whatever it accepts, so that hostile values
// that pass the loader (envelope points, orders, effect parameters) meet the player too.
#include <cstdint>
#include <functional>
#include <vector>

#include "fuzz_seeds.h"
#include "sound/music/music_player.h"
#include "tests/sound/xm_writer.h"

namespace {

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckingEngine engine;
  MusicPlayer player(engine);
  Song* song = player.loadSongFromMemory(data, size);
  if (!song) return 0;
  // Four ticks where one would be: more rows in the same few blocks.
  song->tempoScale = 4.0f;
  player.playSong(song);
  std::vector<float> block(2 * 1102);
  for (int i = 0; i < 8 && song->playing; ++i) engine.scheduler(block.data(), 1102);
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  using namespace korvo::sound::test;
  XmSongSpec plain;
  plain.instruments.push_back({});
  for (int r = 0; r < 4; ++r) plain.patterns[0].cells[{r * 2, r % 4}] = cell(kC4 + r, 1);
  seeds.add("plain.xm", writeXm(plain));

  // Envelopes, a looped 16-bit sample, vibrato and effects in both columns.
  XmSongSpec rich;
  rich.channels = 2;
  rich.orders = {0, 1, 0};
  rich.patterns.resize(2);
  rich.patterns[1].rows = 16;
  XmInstrumentSpec instrument;
  XmSampleSpec sample;
  sample.sixteenBit = true;
  sample.loopType = 2;
  sample.loopStart = 8;
  sample.loopLength = 32;
  sample.relativeNote = -12;
  instrument.samples = {sample, XmSampleSpec{}};
  instrument.volume = {{{0, 64}, {10, 32}, {20, 0}}, 7, 1, 0, 2};
  instrument.pan = {{{0, 0}, {30, 64}}, 1};
  instrument.fadeout = 512;
  instrument.vibratoType = 1;
  instrument.vibratoDepth = 4;
  instrument.vibratoRate = 8;
  rich.instruments = {instrument, instrument};
  rich.patterns[0].cells[{0, 0}] = cell(kC4, 1, 0x40, 0x04, 0x48);
  rich.patterns[0].cells[{1, 1}] = cell(kC4 + 7, 2, 0x80, 0x0A, 0x0F);
  rich.patterns[0].cells[{2, 0}] = cell(97);
  rich.patterns[0].cells[{3, 1}] = cell(0, 0, 0, 0x0E, 0x61);
  rich.patterns[1].cells[{0, 0}] = cell(kC4 - 12, 1, 0, 0x03, 0x10);
  rich.patterns[1].cells[{4, 1}] = cell(0, 0, 0, 0x0D, 0x02);
  seeds.add("envelopes_effects.xm", writeXm(rich));
}
