// Tobrix's play loop: CPU time per frame of Classic level 1, played to its exit by the
// replay planner from game/replays/level01.plan, headless on the virtual clock (so no frame
// waits for a real vsync), with the runtime's counts of strings and objects before and after
// one level and ten restarts. Needs the game's levels in build/tobrix.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/debug_hooks.h"
#include "startup/module_image.h"
#include "startup/module_linker.h"
#include "startup/runtime_interface.h"
#include "startup/runtime_modules.h"

namespace korvo {
namespace {

namespace fs = std::filesystem;

double threadCpuMicros() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

// Frame times from the frame counter the program logs each frame, and the other log lines.
class FrameHooks : public DebugHooks {
 public:
  void log(const char* text) override {
    const std::string line = text;
    if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) {
      const int frame = std::stoi(line);
      const double now = threadCpuMicros();
      if (frame > lastFrame_ && lastFrame_ > 0) frameMicros.push_back((now - lastCpu_) / (frame - lastFrame_));
      lastFrame_ = frame;
      lastCpu_ = now;
    } else {
      lines.push_back(line);
      lastFrame_ = 0;
    }
  }
  void message(const char* text, bool) override { lines.push_back(std::string("message: ") + text); }
  void suspended() override {}
  void resumed() override {}
  std::vector<double> frameMicros;
  std::vector<std::string> lines;

 private:
  int lastFrame_ = 0;
  double lastCpu_ = 0;
};

std::vector<std::uint8_t> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the program once in a copy of the game's folder, `runs` times through the level.
bool play(int runs, FrameHooks& hooks) {
  const fs::path folder = fs::temp_directory_path() / "korvo-game-bench";
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy(fs::path(KORVO_BUILD_DIR) / "tobrix" / "Tobrix Levels", folder / "Tobrix Levels");
  fs::copy_file(fs::path(KORVO_SOURCE_DIR) / "game" / "replays" / "level01.plan", folder / "replay.plan");
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  const std::vector<std::uint8_t> image = readFile(fs::path(KORVO_BUILD_DIR) / "bench" / "tobrix_bench.kvm");
  LinkResult linked = linkModule(image, buildRuntimeMap(*runtimeGetRuntime()));
  if (linked.module) runOnModules(linked.module->main(), std::to_string(runs), &hooks, runtimeModules());
  fs::current_path(previous);
  fs::remove_all(folder);
  return linked.module.has_value();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void PlayLevel(benchmark::State& state) {
  if (!fs::exists(fs::path(KORVO_BUILD_DIR) / "tobrix" / "Tobrix Levels" / "Classic.pak")) {
    state.SkipWithError("no Classic.pak in build/tobrix");
    return;
  }
  std::vector<double> frames;
  for (auto _ : state) {
    FrameHooks hooks;
    if (!play(1, hooks)) state.SkipWithError("the benchmark program does not link");
    frames.insert(frames.end(), hooks.frameMicros.begin(), hooks.frameMicros.end());
  }
  state.counters["frames_per_level"] = static_cast<double>(frames.size()) / state.iterations();
  state.counters["median_frame_us"] = median(frames);
  state.counters["p95_frame_us"] = [&] {
    std::sort(frames.begin(), frames.end());
    return frames.empty() ? 0 : frames[frames.size() * 95 / 100];
  }();
}
BENCHMARK(PlayLevel)->Unit(benchmark::kMillisecond)->Iterations(5);

// The runtime's counts before and after one level, and before and after eleven runs.
void CountsAfterRestarts(benchmark::State& state) {
  for (auto _ : state) {
    for (int runs : {1, 11}) {
      FrameHooks hooks;
      play(runs, hooks);
      for (const std::string& line : hooks.lines) {
        if (line.rfind("result=", 0) != 0) std::printf("  %d run(s): %s\n", runs, line.c_str());
      }
    }
  }
}
BENCHMARK(CountsAfterRestarts)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvo

BENCHMARK_MAIN();
