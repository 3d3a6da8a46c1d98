// How many times faster than real time real modules render: one MOD, S3M, XM and IT each
// through the sound engine with the music player, and, in the same run, through two
// independent players rendering the same file to 16-bit stereo at 44100 Hz. The counter
// x_realtime is seconds of music per second.
// Like for like: each side loads its module once, outside the time, and every iteration plays
// the first 20 s from the start with linear interpolation (libopenmpt's own default filter is
// timed beside); the engine gets as many voices as libxmp has channels for the song,
// background voices of new-note actions included.
#include <benchmark/benchmark.h>
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <algorithm>
#include <array>
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
// Frames each independent player renders per call: a 25 ms block, like the engine's.
constexpr int kBlock = 1102;

struct BenchModule {
  const char* package;
  const char* path;
};
// Indexed by the benchmarks' first argument.
constexpr std::array<BenchModule, 4> kModules{{
    {"freedroid-data", "/usr/share/games/freedroid/sound/AnarchyMenu1.mod"},
    {"pingus-data", "/usr/share/games/pingus/data/music/gd-giirm.s3m"},
    {"ceferino-data", "/usr/share/games/ceferino/music/menu.xm"},
    {"pingus-data", "/usr/share/games/pingus/data/music/pingus-1.it"},
}};

const std::vector<std::uint8_t>& moduleBytes(std::int64_t index) {
  static std::array<std::vector<std::uint8_t>, kModules.size()> cache;
  std::vector<std::uint8_t>& bytes = cache[static_cast<std::size_t>(index)];
  if (bytes.empty()) {
    const BenchModule& m = kModules[static_cast<std::size_t>(index)];
    if (const auto path = korvo::test::debianFile(m.package, m.path)) {
      std::ifstream in(*path, std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  return bytes;
}

// The module of the benchmark's first argument, or null after marking the benchmark skipped.
const std::vector<std::uint8_t>* moduleOf(benchmark::State& state) {
  const auto& bytes = moduleBytes(state.range(0));
  if (!bytes.empty()) return &bytes;
  state.SkipWithError("the module's package cannot be had");
  return nullptr;
}

// The channels libxmp mixes for the song: its own, or for new-note actions its virtual ones.
int xmpChannels(const std::vector<std::uint8_t>& bytes) {
  xmp_context ctx = xmp_create_context();
  int channels = 0;
  if (xmp_load_module_from_memory(ctx, const_cast<std::uint8_t*>(bytes.data()), static_cast<long>(bytes.size())) == 0) {
    xmp_start_player(ctx, kRate, 0);
    xmp_frame_info info;
    xmp_get_frame_info(ctx, &info);
    channels = info.virt_channels;
    xmp_end_player(ctx);
    xmp_release_module(ctx);
  }
  xmp_free_context(ctx);
  return channels;
}

void reportRealtime(benchmark::State& state) {
  state.SetLabel(kModules[static_cast<std::size_t>(state.range(0))].path);
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(kSeconds) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Arguments: module, engine mixer type.
void EngineRenders(benchmark::State& state) {
  const auto* bytes = moduleOf(state);
  if (!bytes) return;
  // Under the virtual clock the engine mixes on this thread, as far as the clock has gone.
  korvo::platform::VirtualClock clock;
  korvo::platform::setClock(&clock);
  setenv("KORVO_AUDIO", "none", 1);
  SoundEngine engine;
  engine.setMixer(static_cast<int>(state.range(1)));
  if (!engine.init(kRate, std::max(xmpChannels(*bytes), 1), 0)) {
    state.SkipWithError("engine did not start");
    return;
  }
  {
    music::EngineMusic adapter(engine);
    music::MusicPlayer player(adapter);
    music::Song* song = player.loadSongFromMemory(bytes->data(), bytes->size());
    if (!song) state.SkipWithError("the engine does not load the module");
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
BENCHMARK(EngineRenders)
    ->ArgsProduct({{0, 1, 2, 3}, {mixer::kQualityAutodetect, mixer::kQualityFloat}})
    ->Unit(benchmark::kMillisecond);

// Arguments: module, interpolation filter length (2 linear, 0 the player's default).
void OpenmptRenders(benchmark::State& state) {
  const auto* bytes = moduleOf(state);
  if (!bytes) return;
  std::vector<std::int16_t> buffer(2 * kBlock);
  for (auto _ : state) {
    state.PauseTiming();
    openmpt_module* m = openmpt_module_create_from_memory2(bytes->data(), bytes->size(), nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr);
    // Songs shorter than the render loop, as in the other players.
    openmpt_module_set_repeat_count(m, -1);
    if (state.range(1) != 0) {
      openmpt_module_set_render_param(m, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH,
                                      static_cast<std::int32_t>(state.range(1)));
    }
    state.ResumeTiming();
    for (int done = 0; done < kSeconds * kRate; done += kBlock) {
      openmpt_module_read_interleaved_stereo(m, kRate, kBlock, buffer.data());
    }
    state.PauseTiming();
    openmpt_module_destroy(m);
    state.ResumeTiming();
  }
  reportRealtime(state);
}
BENCHMARK(OpenmptRenders)->ArgsProduct({{0, 1, 2, 3}, {2, 0}})->Unit(benchmark::kMillisecond);

// Argument: module. libxmp's default: linear interpolation.
void XmpRenders(benchmark::State& state) {
  const auto* bytes = moduleOf(state);
  if (!bytes) return;
  std::vector<std::int16_t> buffer(2 * kBlock);
  xmp_context ctx = xmp_create_context();
  if (xmp_load_module_from_memory(ctx, const_cast<std::uint8_t*>(bytes->data()), static_cast<long>(bytes->size())) !=
      0) {
    state.SkipWithError("libxmp does not load the module");
    xmp_free_context(ctx);
    return;
  }
  for (auto _ : state) {
    xmp_start_player(ctx, kRate, 0);
    for (int done = 0; done < kSeconds * kRate; done += kBlock) {
      xmp_play_buffer(ctx, buffer.data(), static_cast<int>(buffer.size() * 2), 0);
    }
    xmp_end_player(ctx);
  }
  xmp_release_module(ctx);
  xmp_free_context(ctx);
  reportRealtime(state);
}
BENCHMARK(XmpRenders)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
