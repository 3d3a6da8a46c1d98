// The engine's process-wide last-error code. Every engine operation called on the thread that
// started the engine clears it first; failures leave their code behind for the caller to read.
#pragma once

#include <cstdint>

namespace korvo::sound {

// Last-error codes; the numbers are part of the program-visible interface.
enum class EngineError : std::int32_t {
  kNone = 0,
  kOutputChangedAfterInit = 1,
  kNotStarted = 2,
  kOutputStartFailed = 3,
  kDeviceAllocated = 4,
  kStartFailed = 5,
  kOutputFormat = 6,
  kOutputCooperation = 7,
  kOutputBuffer = 8,
  kFileOpen = 9,
  kUnrecognised = 10,
  kRawEmpty = 11,        // a raw sample file without data
  kTooManySamples = 11,  // the same code from the module loaders: an instrument over its limit
  kNoMidiData = 11,      // and from MIDI operations on a song that carries no MIDI data
  kOutOfMemory = 12,
  kInvalidArgument = 14,
  kNoChannel = 16,
  kNoRecording = 17,
  kCdOpen = 19,
};

// The number of a code, as interfaces that carry plain numbers (the music engine) give it.
constexpr std::int32_t errorNumber(EngineError code) { return static_cast<std::int32_t>(code); }

// The code left by the most recent failing operation (0 when none since the last reset).
EngineError lastError();
// Sets the code (used by the engine and its loaders).
void setError(EngineError code);

}  // namespace korvo::sound
