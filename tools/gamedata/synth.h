// Sound synthesis for effects and instruments: oscillators with pitch sweeps and envelopes,
// filtered noise and drum voices mixed into a float buffer, then scaled to 16 bits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tobrix::gamedata {

enum class Wave { kSine, kSquare, kPulse, kTriangle, kSaw, kOrgan };
Wave waveNamed(const std::string& name);  // throws std::runtime_error for an unknown name
// One cycle of the wave at phase 0..1 (duty for the pulse), in -1..1.
double waveValue(Wave wave, double phase, double duty = 0.25);

// How a tone's loudness runs: plucked (falls away), flat (held, short release) or swelling.
enum class Shape { kPluck, kFlat, kSwell };
Shape shapeNamed(const std::string& name);

class SoundBuffer {
 public:
  explicit SoundBuffer(int rate) : rate_(rate) {}
  int rate() const { return rate_; }
  // A tone sliding exponentially from f0 to f1 Hz, starting and lasting the given seconds.
  void tone(Wave wave, double f0, double f1, double start, double length, double volume, Shape shape, double duty = 0.25);
  // Noise through a low-pass filter whose cut-off slides from c0 to c1 Hz.
  void noise(double start, double length, double volume, double c0, double c1, std::uint32_t seed);
  void kick(double start, double volume);
  void snare(double start, double volume);
  void hat(double start, double volume, bool open);
  // The samples scaled so that the loudest reaches peak (of full scale).
  std::vector<std::int16_t> finish(double peak = 0.8) const;

 private:
  void ensure(std::size_t frames);
  int rate_;
  std::vector<double> samples_;
};

// A mono 16-bit WAV file.
std::vector<std::uint8_t> encodeWav(const std::vector<std::int16_t>& samples, int rate);

// The frequency of a note name such as "C5", "F#3" or "Bb4" (A4 = 440 Hz); throws for others.
double noteFrequency(const std::string& name);

}  // namespace tobrix::gamedata
