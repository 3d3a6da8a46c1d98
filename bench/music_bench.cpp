// How many times faster than real time a real XM renders: through the sound engine with the
// music player, and, in the same run, through two independent players rendering the same
// file to 16-bit stereo at 44100 Hz. The counter x_realtime is seconds of music per second.
// Like for like: each side renders every channel of the song with linear interpolation (the
// engine given as many channels as the song has; libopenmpt's own default filter is timed
// beside), and loading the module is left out of the time.
#include <benchmark/benchmark.h>
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "backend/clock.h"
#include "sound/engine/sound_engine.h"
#include "sound/music/engine_music.h"
#include "support/debian_package.h"

namespace {

using namespace korvo::sound;

constexpr int kRate = 44100;
// Each iteration renders this many seconds of the song.
constexpr int kSeconds = 20;

const std::vector<std::uint8_t>& moduleBytes() {
  static const std::vector<std::uint8_t> kBytes = [] {
    const auto path = korvo::test::debianFile("ceferino-data", "/usr/share/games/ceferino/music/menu.xm");
    if (!path) return std::vector<std::uint8_t>{};
    std::ifstream in(*path, std::ios::binary);
    return std::vector<std::uint8_t>{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }();
  return kBytes;
}

// The song's channel count, as an independent player reads it.
int songChannels() {
  const auto& bytes = moduleBytes();
  xmp_context ctx = xmp_create_context();
  int channels = 0;
  if (xmp_load_module_from_memory(ctx, const_cast<std::uint8_t*>(bytes.data()), static_cast<long>(bytes.size())) == 0) {
    xmp_module_info info;
    xmp_get_module_info(ctx, &info);
    channels = info.mod->chn;
    xmp_release_module(ctx);
  }
  xmp_free_context(ctx);
  return channels;
}

void reportRealtime(benchmark::State& state) {
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(kSeconds) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void EngineRendersXm(benchmark::State& state) {
  const auto& bytes = moduleBytes();
  if (bytes.empty()) {
    state.SkipWithError("package ceferino-data cannot be had");
    return;
  }
  // Under the virtual clock the engine mixes on this thread, as far as the clock has gone.
  korvo::platform::VirtualClock clock;
  korvo::platform::setClock(&clock);
  setenv("KORVO_AUDIO", "none", 1);
  SoundEngine engine;
  engine.setMixer(static_cast<int>(state.range(0)));
  if (!engine.init(kRate, std::max(songChannels(), 1), 0)) {
    state.SkipWithError("engine did not start");
    return;
  }
  {
    music::EngineMusic adapter(engine);
    music::MusicPlayer player(adapter);
    music::Song* song = player.loadSongFromMemory(bytes.data(), bytes.size());
    for (auto _ : state) {
      player.playSong(song);
      for (int step = 0; step < kSeconds * 10; ++step) {
        clock.advance(100);
        engine.pump();
      }
    }
  }
  engine.close();
  korvo::platform::setClock(nullptr);
  reportRealtime(state);
}
// The default mixer (16-bit integer on this machine) and the floating-point one.
BENCHMARK(EngineRendersXm)->Arg(mixer::kQualityAutodetect)->Arg(mixer::kQualityFloat)->Unit(benchmark::kMillisecond);

void OpenmptRendersXm(benchmark::State& state) {
  const auto& bytes = moduleBytes();
  if (bytes.empty()) {
    state.SkipWithError("package ceferino-data cannot be had");
    return;
  }
  std::vector<std::int16_t> buffer(2 * 1102);
  for (auto _ : state) {
    state.PauseTiming();
    openmpt_module* m = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr);
    openmpt_module_set_render_param(m, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH,
                                    static_cast<std::int32_t>(state.range(0)));
    state.ResumeTiming();
    for (int done = 0; done < kSeconds * kRate; done += 1102) {
      openmpt_module_read_interleaved_stereo(m, kRate, 1102, buffer.data());
    }
    state.PauseTiming();
    openmpt_module_destroy(m);
    state.ResumeTiming();
  }
  reportRealtime(state);
}
// Linear interpolation (as the others) and the player's own default.
BENCHMARK(OpenmptRendersXm)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond);

void XmpRendersXm(benchmark::State& state) {
  auto& bytes = moduleBytes();
  if (bytes.empty()) {
    state.SkipWithError("package ceferino-data cannot be had");
    return;
  }
  std::vector<std::int16_t> buffer(2 * 1102);
  xmp_context ctx = xmp_create_context();
  xmp_load_module_from_memory(ctx, const_cast<std::uint8_t*>(bytes.data()), static_cast<long>(bytes.size()));
  for (auto _ : state) {
    xmp_start_player(ctx, kRate, 0);
    for (int done = 0; done < kSeconds * kRate; done += 1102) {
      xmp_play_buffer(ctx, buffer.data(), static_cast<int>(buffer.size() * 2), 0);
    }
    xmp_end_player(ctx);
  }
  xmp_release_module(ctx);
  xmp_free_context(ctx);
  reportRealtime(state);
}
BENCHMARK(XmpRendersXm)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
