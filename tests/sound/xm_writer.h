// A small XM writer for tests: songs described in code become the bytes of an XM file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sound/music/song.h"

namespace korvo::sound::test {

struct XmSampleSpec {
  std::vector<std::int16_t> frames = std::vector<std::int16_t>(64, 1000);
  bool sixteenBit = false;
  std::uint8_t loopType = 0;  // 0 none, 1 forward, 2 ping-pong
  std::uint32_t loopStart = 0;
  std::uint32_t loopLength = 0;
  std::uint8_t volume = 64;
  std::int8_t finetune = 0;
  std::uint8_t pan = 128;
  std::int8_t relativeNote = 0;
};

struct XmEnvelopeSpec {
  std::vector<std::pair<std::uint16_t, std::uint16_t>> points;
  std::uint8_t type = 0;
  std::uint8_t sustain = 0;
  std::uint8_t loopStart = 0;
  std::uint8_t loopEnd = 0;
};

struct XmInstrumentSpec {
  std::vector<XmSampleSpec> samples;
  std::uint8_t keymapSample = 0;
  XmEnvelopeSpec volume;
  XmEnvelopeSpec pan;
  std::uint16_t fadeout = 0;
  std::uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct XmPatternSpec {
  std::uint16_t rows = 64;
  // (row, channel) -> cell
  std::map<std::pair<int, int>, music::Cell> cells;
};

struct XmSongSpec {
  std::uint16_t channels = 4;
  std::uint16_t speed = 6;
  std::uint16_t bpm = 125;
  std::uint16_t flags = 1;
  std::uint16_t restart = 0;
  std::vector<std::uint8_t> orders = {0};
  std::vector<XmPatternSpec> patterns = {XmPatternSpec{}};
  std::vector<XmInstrumentSpec> instruments;
};

std::vector<std::uint8_t> writeXm(const XmSongSpec& spec);

// Cell helpers: a note (1..96, 97 key off) with instrument, volume column, effect, parameter.
inline music::Cell cell(std::uint8_t note, std::uint8_t instrument = 0, std::uint8_t volume = 0,
                        std::uint8_t effect = 0, std::uint8_t param = 0) {
  return music::Cell{note, instrument, volume, effect, param};
}
// Note numbers: C-4 is the file's note 49.
inline constexpr std::uint8_t kC4 = 49;

}  // namespace korvo::sound::test
