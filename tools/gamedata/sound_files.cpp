#include "sound_files.h"

#include <memory>
#include <sstream>
#include <stdexcept>

#include "data_files.h"
#include "synth.h"

namespace tobrix::gamedata {
namespace {

constexpr int kNumberedEffects = 18;

double frequency(const std::string& word) {
  return !word.empty() && word[0] >= 'A' && word[0] <= 'G' ? noteFrequency(word) : std::stod(word);
}

// "NOTE/N" or "r/N": a note (or rest) lasting N sixteenths.
void playMelody(SoundBuffer& out, std::istringstream& words, Wave wave, double bpm, double volume, Shape shape) {
  const double sixteenth = 60.0 / bpm / 4;
  double at = 0;
  std::string token;
  while (words >> token) {
    const std::size_t slash = token.find('/');
    if (slash == std::string::npos) throw std::runtime_error("melody note without length: " + token);
    const double length = std::stoi(token.substr(slash + 1)) * sixteenth;
    const std::string note = token.substr(0, slash);
    if (note != "r") {
      const double f = noteFrequency(note);
      out.tone(wave, f, f, at, length, volume, shape, 0.25);
    }
    at += length;
  }
}

void playDrums(SoundBuffer& out, const std::string& pattern, double bpm, int times) {
  const double sixteenth = 60.0 / bpm / 4;
  for (int t = 0; t < times; ++t) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
      const double at = (static_cast<double>(t * pattern.size() + i)) * sixteenth;
      switch (pattern[i]) {
        case 'k': out.kick(at, 0.9); break;
        case 's': out.snare(at, 0.6); break;
        case 'h': out.hat(at, 0.35, false); break;
        case 'o': out.hat(at, 0.35, true); break;
        case '.': break;
        default: throw std::runtime_error(std::string("unknown drum '") + pattern[i] + "'");
      }
    }
  }
}

void runStep(SoundBuffer& out, const std::string& line) {
  std::istringstream words(line);
  std::string verb;
  words >> verb;
  if (verb == "tone") {
    std::string wave, f0, f1, shape;
    double start, length, volume, duty = 0.25;
    words >> wave >> f0 >> f1 >> start >> length >> volume >> shape;
    if (!(words >> duty)) duty = 0.25;
    out.tone(waveNamed(wave), frequency(f0), frequency(f1), start, length, volume, shapeNamed(shape), duty);
  } else if (verb == "noise") {
    double start, length, volume, c0, c1;
    std::uint32_t seed = 1;
    words >> start >> length >> volume >> c0 >> c1;
    if (!(words >> seed)) seed = 1;
    out.noise(start, length, volume, c0, c1, seed);
  } else if (verb == "kick" || verb == "snare" || verb == "hat" || verb == "openhat") {
    double start, volume;
    words >> start >> volume;
    if (verb == "kick") out.kick(start, volume);
    else if (verb == "snare") out.snare(start, volume);
    else out.hat(start, volume, verb == "openhat");
  } else if (verb == "melody") {
    std::string wave, shape, colon;
    double bpm, volume;
    words >> wave >> bpm >> volume >> shape >> colon;
    playMelody(out, words, waveNamed(wave), bpm, volume, shapeNamed(shape));
  } else if (verb == "drums") {
    double bpm;
    int times;
    std::string colon, pattern;
    words >> bpm >> times >> colon >> pattern;
    playDrums(out, pattern, bpm, times);
  } else {
    throw std::runtime_error("unknown step " + verb);
  }
}

}  // namespace

std::map<std::string, std::vector<std::int16_t>> renderEffects(std::string_view recipes) {
  std::map<std::string, std::vector<std::int16_t>> sounds;
  std::istringstream in{std::string(recipes)};
  std::string line, name;
  std::unique_ptr<SoundBuffer> buffer;
  int number = 0;
  auto finish = [&]() {
    if (buffer) sounds[name] = buffer->finish();
    buffer.reset();
  };
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    try {
      if (line.rfind("sound ", 0) == 0) {
        finish();
        name = line.substr(6);
        buffer = std::make_unique<SoundBuffer>(kEffectRate);
      } else if (buffer) {
        runStep(*buffer, line);
      } else {
        throw std::runtime_error("a step before the first sound");
      }
    } catch (const std::exception& e) {
      throw std::runtime_error("effects line " + std::to_string(number) + ": " + e.what());
    }
  }
  finish();
  return sounds;
}

void makeSoundFiles(const std::filesystem::path& dataDir, const std::filesystem::path& outDir) {
  const auto sounds = renderEffects(readText(dataDir / "sounds" / "effects.txt"));
  std::vector<std::string> needed{"drums", "mario", "sonic"};
  for (int i = 1; i <= kNumberedEffects; ++i) needed.push_back(std::to_string(i));
  for (const std::string& name : needed) {
    const auto it = sounds.find(name);
    if (it == sounds.end()) throw std::runtime_error("no recipe for sound " + name);
    writeFile(outDir / "system" / "098" / "sfx" / (name + ".wav"), encodeWav(it->second, kEffectRate));
  }
}

}  // namespace tobrix::gamedata
