// FluidSynth as the MIDI songs' synthesizer. It renders only when asked, on the mixing
// timeline: no audio driver, no MIDI player of its own, and one core (no worker threads), so
// the same messages at the same frames give the same samples every run. Its own log lines
// are kept from the console; the last error among them explains a SoundFont that failed.
#include <fluidsynth.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "sound/music/midi_synth.h"

namespace korvo::sound::music {
namespace {

// Where Debian's General MIDI SoundFont packages put their files, the fullest first.
constexpr const char* kSoundFontPlaces[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
};

// The last error FluidSynth reported (it reports from the thread that called it).
thread_local std::string gLastFluidError;

void keepFluidLog(int level, const char* message, void*) {
  if (level <= FLUID_ERR && message) gLastFluidError = message;
}

void quietFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      fluid_set_log_function(level, &keepFluidLog, nullptr);
    }
  });
}

class FluidSynth final : public MidiSynth {
 public:
  FluidSynth(fluid_settings_t* settings, fluid_synth_t* synth, std::int32_t rate)
      : settings_(settings), synth_(synth), rate_(rate) {}
  ~FluidSynth() override {
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
  }
  FluidSynth(const FluidSynth&) = delete;
  FluidSynth& operator=(const FluidSynth&) = delete;

  std::int32_t sampleRate() const override { return rate_; }

  void send(const MidiEvent& e) override {
    const int channel = e.status & 0x0F;
    switch (e.status & 0xF0) {
      case 0x80: fluid_synth_noteoff(synth_, channel, e.data1); break;
      case 0x90: fluid_synth_noteon(synth_, channel, e.data1, e.data2); break;
      case 0xA0: fluid_synth_key_pressure(synth_, channel, e.data1, e.data2); break;
      case 0xB0: fluid_synth_cc(synth_, channel, e.data1, e.data2); break;
      case 0xC0: fluid_synth_program_change(synth_, channel, e.data1); break;
      case 0xD0: fluid_synth_channel_pressure(synth_, channel, e.data1); break;
      case 0xE0: fluid_synth_pitch_bend(synth_, channel, e.data1 | (e.data2 << 7)); break;
      default: break;
    }
  }

  void render(float* left, float* right, std::int32_t frames) override {
    if (frames > 0) fluid_synth_write_float(synth_, frames, left, 0, 1, right, 0, 1);
  }

  void silence() override { fluid_synth_all_sounds_off(synth_, -1); }
  void reset() override { fluid_synth_system_reset(synth_); }
  void setGain(float gain) override { fluid_synth_set_gain(synth_, gain); }
  std::int32_t activeVoices() const override { return fluid_synth_get_active_voice_count(synth_); }

 private:
  fluid_settings_t* settings_;
  fluid_synth_t* synth_;
  std::int32_t rate_;
};

}  // namespace

std::string soundFontPath() {
  if (const char* chosen = std::getenv("KORVO_SOUNDFONT"); chosen && *chosen) return chosen;
  std::error_code ec;
  for (const char* place : kSoundFontPlaces) {
    if (std::filesystem::is_regular_file(place, ec)) return place;
  }
  return "";
}

std::unique_ptr<MidiSynth> makeFluidSynth(std::int32_t rate, std::string& why) {
  const std::string font = soundFontPath();
  if (font.empty()) {
    why = "no SoundFont for MIDI music: KORVO_SOUNDFONT is not set and none is installed (" +
          std::string(kSoundFontPlaces[0]) + ", " + kSoundFontPlaces[1] + ", " + kSoundFontPlaces[2] + ")";
    return nullptr;
  }
  quietFluidLog();
  fluid_settings_t* settings = new_fluid_settings();
  if (!settings) {
    why = "the MIDI synthesizer could not be set up";
    return nullptr;
  }
  fluid_settings_setnum(settings, "synth.sample-rate", rate);
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  fluid_settings_setint(settings, "synth.threadsafe-api", 0);
  fluid_settings_setint(settings, "synth.lock-memory", 0);
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", 0);
  fluid_synth_t* synth = new_fluid_synth(settings);
  if (!synth) {
    delete_fluid_settings(settings);
    why = "the MIDI synthesizer could not be made";
    return nullptr;
  }
  auto made = std::make_unique<FluidSynth>(settings, synth, rate);
  gLastFluidError.clear();
  if (fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED) {
    why = "the SoundFont " + font + " could not be loaded" + (gLastFluidError.empty() ? "" : ": " + gLastFluidError);
    return nullptr;
  }
  return made;
}

}  // namespace korvo::sound::music
