// How many times faster than real time a real MIDI file renders with the installed SoundFont:
// through the sound engine's music unit with the MIDI player (the way songs play), and
// FluidSynth rendering the same file with its own player, for comparison. The counter
// x_realtime is seconds of music per second.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "backend/clock.h"
#include "sound/engine/sound_engine.h"
#include "sound/music/engine_music.h"
#include "sound/music/midi_player.h"
#include "support/debian_package.h"

namespace {

using namespace korvo::sound;

constexpr int kRate = 44100;
// Each iteration renders this many seconds of the song (it lasts 83 s).
constexpr int kSeconds = 20;
constexpr const char* kPackage = "liquidwar-data";

const std::string& midiPath() {
  static const std::string kPath =
      korvo::test::debianFile(kPackage, "/usr/share/games/liquidwar/music/colossus.mid").value_or("");
  return kPath;
}

bool ready(benchmark::State& state) {
  if (music::soundFontPath().empty()) {
    state.SkipWithError("no SoundFont installed");
    return false;
  }
  if (midiPath().empty()) {
    state.SkipWithError("package liquidwar-data cannot be had");
    return false;
  }
  return true;
}

void reportRealtime(benchmark::State& state) {
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(kSeconds) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void EngineRendersMidi(benchmark::State& state) {
  if (!ready(state)) return;
  // Under the virtual clock the engine mixes on this thread, as far as the clock has gone.
  korvo::platform::VirtualClock clock;
  korvo::platform::setClock(&clock);
  setenv("KORVO_AUDIO", "none", 1);
  SoundEngine engine;
  if (!engine.init(kRate, 32, 0)) {
    state.SkipWithError("engine did not start");
    return;
  }
  {
    music::EngineMusic adapter(engine);
    music::MidiPlayer midi(&music::makeFluidSynth);
    music::MusicPlayer player(adapter, &midi);
    music::Song* song = player.loadSong(midiPath());
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
BENCHMARK(EngineRendersMidi)->Unit(benchmark::kMillisecond);

void FluidSynthPlayerRendersMidi(benchmark::State& state) {
  if (!ready(state)) return;
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kRate);
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_synth_t* synth = new_fluid_synth(settings);
  fluid_synth_sfload(synth, music::soundFontPath().c_str(), 1);
  std::vector<float> left(1102), right(1102);
  for (auto _ : state) {
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add(player, midiPath().c_str());
    fluid_player_play(player);
    for (int done = 0; done < kSeconds * kRate; done += 1102) {
      fluid_synth_write_float(synth, 1102, left.data(), 0, 1, right.data(), 0, 1);
    }
    delete_fluid_player(player);
    fluid_synth_system_reset(synth);
  }
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
  reportRealtime(state);
}
BENCHMARK(FluidSynthPlayerRendersMidi)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
