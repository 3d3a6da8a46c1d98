// Periods and frequencies shared by the tracker formats: the 134-entry period table, linear
// and table (Amiga) periods with finetune, the frequency of a period, and the tempo rule.
#pragma once

#include <array>
#include <cstdint>

namespace korvo::sound::music {

inline constexpr int kPeriodTableSize = 134;
// Index 1 is the lowest C (1712 x 16); each octave is about half the one before.
const std::array<std::int32_t, kPeriodTableSize>& periodTable();

// Highest note number the period functions accept (table index note + 2 must exist).
inline constexpr std::int32_t kMaxNote = kPeriodTableSize - 3;

// Linear period of note (0 = the lowest C) with a signed-byte finetune.
std::int32_t linearPeriod(std::int32_t note, std::int32_t finetune);
// Table period of note with finetune/128 of the way to the neighbouring note.
std::int32_t amigaPeriod(std::int32_t note, std::int32_t finetune);
// Either, by the song's period mode.
std::int32_t notePeriod(bool linear, std::int32_t note, std::int32_t finetune);
// Table period of note for a sample whose C-4 plays at c4Rate Hz (8363 where it is not above 0).
std::int32_t c4Period(std::int32_t note, std::int32_t c4Rate);
// The C-4 rate of a finetune 0..15 (8..15 tune down), as MOD samples and set-finetune effects give it.
std::int32_t finetuneRate(std::int32_t finetune);
// Frequency in Hz of a period (already including its deltas; at least 1 is used).
std::int32_t periodFrequency(bool linear, std::int32_t period);

}  // namespace korvo::sound::music
