#include "synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace tobrix::gamedata {
namespace {

constexpr double kTau = 2 * std::numbers::pi;

double envelope(Shape shape, double t, double length) {
  const double attack = shape == Shape::kSwell ? length * 0.5 : 0.004;
  const double release = std::min(0.03, length * 0.3);
  double a = t < attack ? t / attack : 1.0;
  if (shape == Shape::kPluck) a *= std::exp(-4.0 * t / length);
  if (shape == Shape::kSwell && t >= attack) a = 1.0 - 0.6 * (t - attack) / (length - attack);
  if (t > length - release) a *= std::max(0.0, (length - t) / release);
  return a;
}

std::uint32_t nextRandom(std::uint32_t& state) {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

}  // namespace

Wave waveNamed(const std::string& name) {
  if (name == "sine") return Wave::kSine;
  if (name == "square") return Wave::kSquare;
  if (name == "pulse") return Wave::kPulse;
  if (name == "triangle") return Wave::kTriangle;
  if (name == "saw") return Wave::kSaw;
  if (name == "organ") return Wave::kOrgan;
  throw std::runtime_error("unknown wave " + name);
}

Shape shapeNamed(const std::string& name) {
  if (name == "pluck") return Shape::kPluck;
  if (name == "flat") return Shape::kFlat;
  if (name == "swell") return Shape::kSwell;
  throw std::runtime_error("unknown shape " + name);
}

double waveValue(Wave wave, double phase, double duty) {
  phase -= std::floor(phase);
  switch (wave) {
    case Wave::kSine: return std::sin(kTau * phase);
    case Wave::kSquare: return phase < 0.5 ? 0.8 : -0.8;
    case Wave::kPulse: return phase < duty ? 0.8 : -0.8;
    case Wave::kTriangle: return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
    case Wave::kSaw: return 2 * phase - 1;
    case Wave::kOrgan:
      return 0.6 * std::sin(kTau * phase) + 0.3 * std::sin(2 * kTau * phase) + 0.15 * std::sin(3 * kTau * phase);
  }
  return 0;
}

void SoundBuffer::ensure(std::size_t frames) {
  if (samples_.size() < frames) samples_.resize(frames, 0.0);
}

void SoundBuffer::tone(Wave wave, double f0, double f1, double start, double length, double volume, Shape shape,
                       double duty) {
  const std::size_t first = static_cast<std::size_t>(start * rate_), count = static_cast<std::size_t>(length * rate_);
  ensure(first + count);
  double phase = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / rate_;
    const double f = f0 * std::pow(f1 / f0, t / length);
    samples_[first + i] += volume * envelope(shape, t, length) * waveValue(wave, phase, duty);
    phase += f / rate_;
  }
}

void SoundBuffer::noise(double start, double length, double volume, double c0, double c1, std::uint32_t seed) {
  const std::size_t first = static_cast<std::size_t>(start * rate_), count = static_cast<std::size_t>(length * rate_);
  ensure(first + count);
  std::uint32_t state = seed * 2654435761u + 1;
  double low = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / rate_;
    const double cut = c0 * std::pow(c1 / c0, t / length);
    const double k = 1 - std::exp(-kTau * cut / rate_);
    const double white = static_cast<double>(nextRandom(state) % 20001) / 10000.0 - 1.0;
    low += k * (white - low);
    samples_[first + i] += volume * envelope(Shape::kPluck, t, length) * low * 1.8;
  }
}

void SoundBuffer::kick(double start, double volume) {
  tone(Wave::kSine, 150, 42, start, 0.28, volume, Shape::kPluck);
  noise(start, 0.02, volume * 0.4, 3000, 800, 11);
}

void SoundBuffer::snare(double start, double volume) {
  tone(Wave::kTriangle, 230, 160, start, 0.12, volume * 0.6, Shape::kPluck);
  noise(start, 0.2, volume, 7000, 3000, 23);
}

void SoundBuffer::hat(double start, double volume, bool open) {
  // High noise: white noise less its low part.
  const std::size_t first = static_cast<std::size_t>(start * rate_);
  const double length = open ? 0.25 : 0.05;
  const std::size_t count = static_cast<std::size_t>(length * rate_);
  ensure(first + count);
  std::uint32_t state = open ? 91u : 57u;
  double low = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const double white = static_cast<double>(nextRandom(state) % 20001) / 10000.0 - 1.0;
    low += 0.35 * (white - low);
    const double t = static_cast<double>(i) / rate_;
    samples_[first + i] += volume * 0.7 * (white - low) * envelope(Shape::kPluck, t, length);
  }
}

std::vector<std::int16_t> SoundBuffer::finish(double peak) const {
  double loudest = 1e-9;
  for (double s : samples_) loudest = std::max(loudest, std::abs(s));
  std::vector<std::int16_t> out(samples_.size());
  for (std::size_t i = 0; i < samples_.size(); ++i) {
    out[i] = static_cast<std::int16_t>(std::lround(samples_[i] / loudest * peak * 32767));
  }
  return out;
}

std::vector<std::uint8_t> encodeWav(const std::vector<std::int16_t>& samples, int rate) {
  std::vector<std::uint8_t> out;
  auto u16 = [&out](std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto u32 = [&u16](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  auto tag = [&out](const char* t) { out.insert(out.end(), t, t + 4); };
  const std::uint32_t bytes = static_cast<std::uint32_t>(samples.size() * 2);
  tag("RIFF");
  u32(36 + bytes);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(static_cast<std::uint32_t>(rate));
  u32(static_cast<std::uint32_t>(rate * 2));
  u16(2);
  u16(16);
  tag("data");
  u32(bytes);
  for (std::int16_t s : samples) u16(static_cast<std::uint16_t>(s));
  return out;
}

double noteFrequency(const std::string& name) {
  static constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G from C
  if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') throw std::runtime_error("bad note " + name);
  int semitone = kSemitones[name[0] - 'A'];
  std::size_t at = 1;
  if (name[at] == '#') ++semitone, ++at;
  else if (name[at] == 'b') --semitone, ++at;
  if (at + 1 != name.size() || name[at] < '0' || name[at] > '9') throw std::runtime_error("bad note " + name);
  const int octave = name[at] - '0';
  const int fromA4 = (octave - 4) * 12 + semitone - 9;
  return 440.0 * std::pow(2.0, fromA4 / 12.0);
}

}  // namespace tobrix::gamedata
