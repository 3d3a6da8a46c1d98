// XM modules as the generator writes them: packed patterns, one sample per instrument with
// its volume envelope, 16-bit delta-coded sample data, linear frequencies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tobrix::gamedata {

struct XmCell {
  std::uint8_t note = 0;  // 1..96, 97 key off
  std::uint8_t instrument = 0;
  std::uint8_t volume = 0;  // the volume column
  std::uint8_t effect = 0, param = 0;
  bool empty() const { return note == 0 && instrument == 0 && volume == 0 && effect == 0 && param == 0; }
};

struct XmPattern {
  int rows = 64;
  std::vector<XmCell> cells;  // rows x channels, row by row
};

struct XmInstrument {
  std::string name;
  std::vector<std::int16_t> sample;
  bool loop = false;  // the whole sample loops
  std::uint8_t volume = 64, pan = 128;
  std::int8_t finetune = 0, relativeNote = 0;
  std::vector<std::pair<std::uint16_t, std::uint16_t>> envelope;  // (tick, 0..64); empty for none
  int sustainPoint = -1;
  std::uint16_t fadeout = 0;
};

struct XmSong {
  std::string name;
  int channels = 4, speed = 6, bpm = 125, restart = 0;
  std::vector<std::uint8_t> orders;
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;
};

std::vector<std::uint8_t> encodeXm(const XmSong& song);

}  // namespace tobrix::gamedata
