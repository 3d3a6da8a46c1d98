// Standard MIDI files written in code for tests and fuzz seeds: tracks of events with delta
// times, the header chunk, and the RIFF "RMID" wrapping.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace korvo::sound::test {

using MidiBytes = std::vector<std::uint8_t>;

// A variable-length number (1 to 4 bytes).
MidiBytes midiNumber(std::uint32_t value);

// The body of one "MTrk" chunk.
class MidiTrack {
 public:
  // Any event: its delta time, then its bytes as given (running status is the caller's).
  MidiTrack& event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes);
  MidiTrack& noteOn(std::uint32_t delta, int channel, int key, int velocity = 100);
  MidiTrack& noteOff(std::uint32_t delta, int channel, int key);
  MidiTrack& program(std::uint32_t delta, int channel, int program);
  // Microseconds per quarter note.
  MidiTrack& tempo(std::uint32_t delta, std::uint32_t microseconds);
  MidiTrack& end(std::uint32_t delta = 0);
  // Bytes with no delta time before them.
  MidiTrack& raw(std::initializer_list<std::uint8_t> bytes);

  MidiBytes bytes;
};

// A whole file: "MThd" (type, the track count, division), then one "MTrk" per track.
MidiBytes midiFile(std::uint16_t type, std::uint16_t division, const std::vector<MidiTrack>& tracks);
// The file inside a RIFF "RMID" form's "data" chunk.
MidiBytes rmidFile(const MidiBytes& midi);

}  // namespace korvo::sound::test
