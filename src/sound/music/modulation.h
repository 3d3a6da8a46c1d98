// What changes a voice from tick to tick without new notes: vibrato and tremolo waves,
// instrument auto-vibrato, and volume and panning envelopes.
#pragma once

#include <cstdint>

#include "sound/music/song.h"

namespace korvo::sound::music {

// Wave value 0..255 at position pos (-32..31) for waveform bits 0..1: sine, ramp, square,
// random. Tremolo passes tremolo=true so that random counts as sine.
std::int32_t vibratoWave(std::int32_t waveform, std::int32_t pos, bool tremolo = false);
// Period delta of a vibrato of depth at pos.
std::int32_t vibratoDelta(std::int32_t depth, std::int32_t waveform, std::int32_t pos);
// Volume delta of a tremolo at pos, kept so that volume + delta stays within 0..64.
std::int32_t tremoloDelta(std::int32_t volume, std::int32_t depth, std::int32_t waveform, std::int32_t pos);
// Moves a vibrato or tremolo position on by speed, wrapping within -32..31.
std::int32_t advanceWave(std::int32_t pos, std::int32_t speed);

// Auto-vibrato wave value (-64..64) of type at position q (0..255).
std::int32_t autoVibratoWave(std::int32_t type, std::int32_t q);
// Adds an auto-vibrato (the instrument's or the sample's) to the voice's period delta and
// moves it on.
void stepAutoVibrato(const AutoVibrato& vibrato, Voice& voice);

// Restarts an envelope at its first point with output.
void resetEnvelope(EnvelopeState& state, std::int32_t output);
// One tick of an envelope.
void stepEnvelope(const Envelope& envelope, EnvelopeState& state, bool keyOff);
// Puts the envelope at tick, interpolating within its segment.
void setEnvelopePosition(const Envelope& envelope, EnvelopeState& state, std::int32_t tick);

}  // namespace korvo::sound::music
