// A small IT writer for tests: songs described in code become the bytes of an IT file.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace korvo::sound::test {

struct ItEnvelopeSpec {
  std::vector<std::pair<std::int8_t, std::uint16_t>> points;  // value, tick
  std::uint8_t flags = 0;                                     // 1 on, 2 loop, 4 sustain loop, 8 carry, 0x80 filter
  std::uint8_t loopStart = 0, loopEnd = 0, sustainStart = 0, sustainEnd = 0;
};

struct ItInstrumentSpec {
  std::uint8_t newNoteAction = 0;  // 0 cut, 1 continue, 2 off, 3 fade
  std::uint8_t duplicateCheck = 0;
  std::uint8_t duplicateAction = 0;
  std::uint16_t fadeout = 0;
  std::uint8_t globalVolume = 128;
  std::uint8_t defaultPan = 0x80;          // bit 7: not used
  std::uint8_t cutoff = 0, resonance = 0;  // bit 7: used
  std::uint8_t sample = 1;                 // every note plays it
  ItEnvelopeSpec volume, pan, pitch;
};

struct ItSampleSpec {
  std::vector<std::int16_t> frames = std::vector<std::int16_t>(64, 8000);
  bool sixteenBit = false;
  bool compressed = false;
  bool secondVariant = false;
  bool loop = true;
  std::uint8_t volume = 64;
  std::uint8_t globalVolume = 64;
  std::uint32_t c5Rate = 8363;
};

// A cell as the file packs it: note (0..119, 255 off, 254 cut), instrument, volume column
// (255 none), effect letter (1 = A), parameter.
struct ItCell {
  std::uint8_t note = 0xFF - 2;  // none
  std::uint8_t instrument = 0;
  std::uint8_t volume = 255;
  std::uint8_t effect = 0;
  std::uint8_t param = 0;
  bool hasNote = false;
};
inline ItCell itNote(std::uint8_t note, std::uint8_t instrument = 1, std::uint8_t effect = 0, std::uint8_t param = 0) {
  return ItCell{note, instrument, 255, effect, param, true};
}
inline ItCell itEffect(std::uint8_t effect, std::uint8_t param) { return ItCell{0, 0, 255, effect, param, false}; }

struct ItPatternSpec {
  std::uint16_t rows = 64;
  std::map<std::pair<int, int>, ItCell> cells;  // (row, channel)
};

struct ItSongSpec {
  std::uint16_t flags = 0x0C;  // instruments, linear slides
  std::uint8_t speed = 6, tempo = 125, globalVolume = 128, mixVolume = 128;
  std::vector<std::uint8_t> orders = {0, 255};
  std::vector<ItPatternSpec> patterns = {ItPatternSpec{}};
  std::vector<ItInstrumentSpec> instruments = {ItInstrumentSpec{}};
  std::vector<ItSampleSpec> samples = {ItSampleSpec{}};
};

std::vector<std::uint8_t> writeIt(const ItSongSpec& spec);

inline constexpr std::uint8_t kItC5 = 60;

}  // namespace korvo::sound::test
