// Standard MIDI files (types 0, 1 and 2, bare or inside a RIFF "RMID" form) read into one
// timeline: every channel message of every track, at its time in seconds from the file's
// tempo map. Meta events other than tempo and end of track, and system exclusive messages,
// are skipped. A track that breaks off (truncated, an over-long number, a data byte with no
// status before it) keeps what it held up to the fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/engine/engine_error.h"

namespace korvo::sound::music {

// One channel message (status 0x80..0xEF with its data bytes) at its time.
struct MidiEvent {
  double seconds = 0;
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
};

struct MidiSequence {
  // In time order; messages at the same time keep track order, then file order.
  std::vector<MidiEvent> events;
  // Where the longest track ends (its end-of-track event, else its last event).
  double lengthSeconds = 0;
};

// Times are held to this (about four months), so that sample positions stay in range.
inline constexpr double kLongestMidiSeconds = 1e7;

// Whether the data is for the MIDI loader: "MThd", or "RIFF" whose form is neither a WAV
// ("WAVEfmt") nor a video ("AVI LIST").
bool looksLikeMidi(const std::uint8_t* data, std::size_t size);

// Reads a MIDI file into out; kUnrecognised when it is none (no "MThd" header of at least six
// bytes, an unknown type, a division of 0, no track, or a RIFF form without one).
EngineError readMidiFile(const std::uint8_t* data, std::size_t size, MidiSequence& out);

}  // namespace korvo::sound::music
