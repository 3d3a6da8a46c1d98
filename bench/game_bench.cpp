// Tobrix's frames: CPU time per frame of Classic level 1, played to its exit by the replay
// planner from game/replays/level01.plan, headless on the virtual clock (so no frame waits
// for a real vsync), with the runtime's counts of strings and objects before and after one
// level and ten restarts; and of the real game's title loop and its editor (showing Classic
// level 1), driven by the planner. Needs the game's data in build/tobrix.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// Runs a program once in a copy of the game's levels (and, for the real game, its pictures,
// sounds and font), with a plan: `runs` goes to the program as its command line.
bool play(const char* program, const std::string& plan, int runs, FrameHooks& hooks) {
  const fs::path game = fs::path(KORVO_BUILD_DIR) / "tobrix";
  std::string pattern = (fs::temp_directory_path() / "korvo-game-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return false;
  const fs::path folder(pattern);
  fs::copy(game / "Tobrix Levels", folder / "Tobrix Levels");
  fs::copy(game / "system", folder / "system", fs::copy_options::recursive);
  fs::copy_file(game / "Tobrix Levels" / "Classic.pak", folder / "Tobrix Levels" / "My Levels.pak");
  std::ofstream(folder / "replay.plan") << plan;
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  const std::vector<std::uint8_t> image = readFile(fs::path(KORVO_BUILD_DIR) / program);
  LinkResult linked = linkModule(image, buildRuntimeMap(*runtimeGetRuntime()));
  if (linked.module) runOnModules(linked.module->main(), std::to_string(runs), &hooks, runtimeModules());
  fs::current_path(previous);
  fs::remove_all(folder);
  return linked.module.has_value();
}

std::string levelPlan() {
  std::ifstream in(fs::path(KORVO_SOURCE_DIR) / "game" / "replays" / "level01.plan");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void report(benchmark::State& state, std::vector<double> frames) {
  std::sort(frames.begin(), frames.end());
  state.counters["frames"] = static_cast<double>(frames.size()) / state.iterations();
  state.counters["median_frame_us"] = median(frames);
  state.counters["p95_frame_us"] = frames.empty() ? 0 : frames[frames.size() * 95 / 100];
}

// Frames of a program run with a plan, five times.
void timeFrames(benchmark::State& state, const char* program, const std::string& plan) {
  if (!fs::exists(fs::path(KORVO_BUILD_DIR) / "tobrix" / "Tobrix Levels" / "Classic.pak")) {
    state.SkipWithError("no Classic.pak in build/tobrix");
    return;
  }
  std::vector<double> all;
  for (auto _ : state) {
    FrameHooks hooks;
    if (!play(program, plan, 1, hooks)) state.SkipWithError("the benchmark program does not link");
    all.insert(all.end(), hooks.frameMicros.begin(), hooks.frameMicros.end());
  }
  report(state, all);
}

void PlayLevel(benchmark::State& state) { timeFrames(state, "bench/tobrix_bench.kvm", levelPlan()); }
BENCHMARK(PlayLevel)->Unit(benchmark::kMillisecond)->Iterations(5);

// The title screen's main menu for ten seconds, then the options and the pack list.
void TitleLoop(benchmark::State& state) {
  timeFrames(state, "game/tobrix-planner.kvm",
         "timing 1\nwait 600\npress 2\nwait 5\npress 5\nwait 120\nescape\nwait 5\n"
         "press 5\nwait 120\ntiming 0\nescape\nwait 5\nescape\n");
}
BENCHMARK(TitleLoop)->Unit(benchmark::kMillisecond)->Iterations(5);

// The editor with Classic level 1 for fifteen seconds, the view moving to the right and down.
void Editor(benchmark::State& state) {
  std::string plan = "wait 20\npress 2\nwait 3\npress 2\nwait 3\npress 2\nwait 3\npress 5\nwait 30\ntiming 1\n";
  for (int i = 0; i < 30; ++i) plan += i % 3 == 2 ? "press 2\nwait 10\n" : "press 4\nwait 10\n";
  plan += "wait 600\ntiming 0\nescape\nwait 10\nescape\n";
  timeFrames(state, "game/tobrix-planner.kvm", plan);
}
BENCHMARK(Editor)->Unit(benchmark::kMillisecond)->Iterations(5);

// The runtime's counts before and after one level, and before and after eleven runs.
void CountsAfterRestarts(benchmark::State& state) {
  for (auto _ : state) {
    for (int runs : {1, 11}) {
      FrameHooks hooks;
      play("bench/tobrix_bench.kvm", levelPlan(), runs, hooks);
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
