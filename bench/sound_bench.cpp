// Voices mixed per second by the two quality mixers, by source format, with and without
// volume ramping, as a multiple of real time at 44100 Hz, and the share of one core that 32
// voices take.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "sound/engine/mixer.h"
#include "sound/engine/sample_store.h"
#include "sound/engine/software_channel.h"

namespace korvo::sound {
namespace {

constexpr int kRate = 44100;
constexpr int kVoices = 32;
constexpr int kBlock = 1102;
constexpr int kRampLength = 128;

struct Voices {
  std::vector<std::unique_ptr<Sample>> samples;
  std::vector<std::unique_ptr<Channel>> channels;

  Voices(std::uint32_t format) {
    for (int v = 0; v < kVoices; ++v) {
      auto s = std::make_unique<Sample>();
      s->mode = format | mode::kLoopNormal;
      SampleStore::createBuffer(*s, 10000);
      for (std::uint32_t i = 0; i < s->dataBytes(); ++i) s->data()[i] = static_cast<std::uint8_t>(i * 37 + v);
      s->loopLength = s->length;
      SampleStore::refreshGuards(*s);
      auto c = std::make_unique<Channel>();
      c->sample.store(s.get());
      c->loopMode = mode::kLoopNormal;
      // Detuned voices, so positions and fractions differ.
      c->increment.store(frequencyIncrement(static_cast<std::uint32_t>(22050 + v * 977), kRate));
      c->targets.store(computeTargets(200, 255, v * 8));
      c->rampLeft = static_cast<std::int32_t>(Channel::targetLeft(c->targets.load())) * 256;
      c->rampRight = static_cast<std::int32_t>(Channel::targetRight(c->targets.load())) * 256;
      samples.push_back(std::move(s));
      channels.push_back(std::move(c));
    }
  }
};

template <bool kFloat>
void mixVoices(benchmark::State& state) {
  const auto format = static_cast<std::uint32_t>(state.range(0));
  const bool ramp = state.range(1) != 0;
  Voices voices(format);
  // With ramping, every block is one ramp long and the volumes swing each block.
  const int block = ramp ? kRampLength : kBlock;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(block) * 8);
  int flip = 0;
  for (auto _ : state) {
    if (ramp) {
      flip ^= 1;
      for (auto& c : voices.channels) c->targets.store(computeTargets(flip ? 255 : 60, 255, 100));
    }
    if constexpr (kFloat) {
      clearFloat(buffer.data(), block);
      for (auto& c : voices.channels) mixChannelFloat(buffer.data(), *c, block, kRampLength);
    } else {
      clearInt16(buffer.data(), block);
      for (auto& c : voices.channels) mixChannelInt16(buffer.data(), *c, block, kRampLength);
    }
    benchmark::DoNotOptimize(buffer.data());
  }
  const double voiceSamples = static_cast<double>(state.iterations()) * kVoices * block;
  state.counters["xRealtime"] = benchmark::Counter(voiceSamples / kRate, benchmark::Counter::kIsRate);
  state.counters["cpu%_32ch"] = benchmark::Counter(voiceSamples / (kVoices * kRate * 100.0),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void formats(benchmark::internal::Benchmark* b) {
  b->ArgNames({"format", "ramp"});
  for (std::int64_t f : {mode::k16Bits | mode::kMono, mode::k16Bits | mode::kStereo, mode::k8Bits | mode::kMono,
                         mode::k8Bits | mode::kStereo}) {
    for (std::int64_t ramp : {0, 1}) b->Args({f, ramp});
  }
}

BENCHMARK(mixVoices<false>)->Name("Int16Mixer")->Apply(formats);
BENCHMARK(mixVoices<true>)->Name("FloatMixer")->Apply(formats);

}  // namespace
}  // namespace korvo::sound

BENCHMARK_MAIN();
