// IT's resonant filter heard through the sound engine: a noise sample under a filter
// envelope that opens over the note, measured in the engine's mix block by block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <vector>

#include "backend/clock.h"
#include "it_writer.h"
#include "sound/engine/sound_engine.h"
#include "sound/music/engine_music.h"

namespace korvo::sound::test {
namespace {

constexpr int kRate = 44100;
// Frames of one measuring window: 20 ticks at 125 BPM.
constexpr std::size_t kWindow = 20 * 881;

class ItFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setClock(&clock_);
    setenv("KORVO_AUDIO", "none", 1);
    ASSERT_TRUE(engine_.init(kRate, 32, 0));
    // Right after the music unit: what the song's voices put into the block.
    engine_.createDspUnit(
        [this](void* buffer, std::int32_t, std::int32_t samples) {
          const auto* values = static_cast<const std::int16_t*>(buffer);
          for (std::int32_t k = 0; k < samples; ++k) left_.push_back(values[2 * k]);
          return buffer;
        },
        dsp::kMusic + 1, true);
  }
  void TearDown() override {
    engine_.close();
    platform::setClock(nullptr);
  }

  // The left side of the song's first seconds.
  std::vector<std::int16_t> render(const ItSongSpec& spec, int seconds) {
    const std::vector<std::uint8_t> bytes = writeIt(spec);
    {
      music::EngineMusic adapter(engine_);
      music::MusicPlayer player(adapter);
      music::Song* song = player.loadSongFromMemory(bytes.data(), bytes.size());
      EXPECT_NE(song, nullptr);
      if (!song) return {};
      player.playSong(song);
      left_.clear();
      for (int step = 0; step < seconds * 10; ++step) {
        clock_.advance(100);
        engine_.pump();
      }
    }
    return left_;
  }

  platform::VirtualClock clock_;
  SoundEngine engine_;
  std::vector<std::int16_t> left_;
};

// A looped noise sample played at the mix rate, held for the whole pattern.
ItSongSpec noiseSong() {
  ItSongSpec spec;
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> value(-12000, 12000);
  spec.samples[0].frames.resize(8192);
  for (auto& f : spec.samples[0].frames) f = static_cast<std::int16_t>(value(rng));
  spec.samples[0].sixteenBit = true;
  spec.samples[0].c5Rate = kRate;
  spec.patterns[0].cells[{0, 0}] = itNote(kItC5);
  return spec;
}

// How much of a window's energy lies in its high frequencies: the energy of the sample to
// sample differences over the energy (about 2 for white noise, near 0 for a low hum).
double brightness(const std::vector<std::int16_t>& pcm, std::size_t from) {
  double energy = 0;
  double differences = 0;
  for (std::size_t i = from + 1; i < from + kWindow && i < pcm.size(); ++i) {
    energy += static_cast<double>(pcm[i]) * pcm[i];
    const double d = static_cast<double>(pcm[i]) - pcm[i - 1];
    differences += d * d;
  }
  return energy > 0 ? differences / energy : 0;
}

TEST_F(ItFilterTest, AFilterEnvelopeChangesTheSpectrum) {
  const std::vector<std::int16_t> open = render(noiseSong(), 3);
  ItSongSpec spec = noiseSong();
  // Closed for the first 20 ticks, then opening over the next 80.
  spec.instruments[0].pitch.points = {{-32, 0}, {-32, 20}, {32, 100}};
  spec.instruments[0].pitch.flags = 0x81;
  spec.instruments[0].cutoff = 0x80 | 127;
  const std::vector<std::int16_t> swept = render(spec, 3);
  ASSERT_GT(swept.size(), 110 * 881u);

  const double plain = brightness(open, 0);
  const double closed = brightness(swept, 2 * 881);
  const double opened = brightness(swept, 100 * 881);
  EXPECT_GT(plain, 1.5);
  EXPECT_LT(closed, 0.01 * plain);
  EXPECT_GT(opened, 20 * closed);
  // Every window of the sweep brighter than the one before it.
  double previous = 0;
  for (std::size_t at = 20 * 881; at + kWindow <= 100 * 881; at += kWindow) {
    const double b = brightness(swept, at);
    EXPECT_GT(b, previous) << "window at tick " << at / 881;
    previous = b;
  }
  // Still sounding while closed: the low frequencies pass.
  double energy = 0;
  for (std::size_t i = 2 * 881; i < 2 * 881 + kWindow; ++i) energy += static_cast<double>(swept[i]) * swept[i];
  EXPECT_GT(std::sqrt(energy / kWindow), 50.0);
}

// The power of a window around hz (a few hertz either way, to smooth the noise).
double bandPower(const std::vector<std::int16_t>& pcm, std::size_t from, double hz) {
  double total = 0;
  for (double f = hz - 20; f <= hz + 20; f += 4) {
    // Goertzel's recurrence for one frequency.
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * f / kRate);
    double s1 = 0;
    double s2 = 0;
    for (std::size_t i = from; i < from + kWindow && i < pcm.size(); ++i) {
      const double s0 = pcm[i] + coefficient * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    total += s1 * s1 + s2 * s2 - coefficient * s1 * s2;
  }
  return total;
}

TEST_F(ItFilterTest, ResonanceRaisesThePeakAtTheCutoff) {
  ItSongSpec spec = noiseSong();
  spec.patterns[0].cells[{0, 0}] = itNote(kItC5, 1, 26, 0x40);  // Z40: cutoff 64, about 830 Hz
  const std::vector<std::int16_t> dull = render(spec, 1);
  spec.patterns[0].cells[{1, 0}] = itEffect(26, 0x8F);  // Z8F: resonance 120
  const std::vector<std::int16_t> ringing = render(spec, 1);
  ASSERT_GT(ringing.size(), 10 * 881 + kWindow);
  // Power at the cutoff against power well below it (where the filter passes all).
  const auto peak = [](const std::vector<std::int16_t>& pcm) {
    return bandPower(pcm, 10 * 881, 830) / bandPower(pcm, 10 * 881, 200);
  };
  EXPECT_LT(peak(dull), 2.0);
  EXPECT_GT(peak(ringing), 10 * peak(dull));
}

}  // namespace
}  // namespace korvo::sound::test
