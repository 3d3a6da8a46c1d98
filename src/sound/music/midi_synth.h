// The synthesizer that MIDI songs play through: it takes channel messages and renders stereo
// frames on the caller's thread, as many as it is asked for, so that the messages fall exactly
// where the mix timeline puts them. The real one is FluidSynth with a General MIDI SoundFont;
// tests put one of their own in its place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sound/music/midi_file.h"

namespace korvo::sound::music {

class MidiSynth {
 public:
  virtual ~MidiSynth() = default;
  virtual std::int32_t sampleRate() const = 0;
  // A channel message (status 0x80..0xEF).
  virtual void send(const MidiEvent& event) = 0;
  // Renders frames into left and right (floats around -1..1), replacing what they held.
  virtual void render(float* left, float* right, std::int32_t frames) = 0;
  // Silences every voice at once.
  virtual void silence() = 0;
  // Every channel back to its power-on state, silent.
  virtual void reset() = 0;
  // Linear output gain.
  virtual void setGain(float gain) = 0;
  // Voices still sounding (in attack, sustain or release).
  virtual std::int32_t activeVoices() const = 0;
};

// Makes a synthesizer at a sample rate; null with the reason in why when it cannot.
using MidiSynthMaker = std::function<std::unique_ptr<MidiSynth>(std::int32_t rate, std::string& why)>;

// The SoundFont to play with: the file KORVO_SOUNDFONT names, else the first that exists of
// the places Debian's General MIDI SoundFont packages install to; "" when there is none.
std::string soundFontPath();

// FluidSynth with the SoundFont soundFontPath() finds, set up to render the same frames every
// run: no audio driver, no player, no threads of its own.
std::unique_ptr<MidiSynth> makeFluidSynth(std::int32_t rate, std::string& why);

}  // namespace korvo::sound::music
