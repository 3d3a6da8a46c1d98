// The engine's outputs: the system sound device (through the platform's audio-device
// contract), no sound, and a WAV file. The clock-paced ones (no sound, file) take their play
// position from the runtime clock; the engine feeds them what has been played.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace korvo::sound {

class OutputDriver {
 public:
  virtual ~OutputDriver() = default;
  virtual const char* name() const = 0;
  // True when the play position follows the runtime clock rather than a device.
  virtual bool clockPaced() const = 0;
  // Opens the output for 16-bit frames of the given channel count at mixRate.
  virtual bool start(std::int32_t mixRate, std::int32_t channels) = 0;
  virtual void stop() = 0;
  // True when the output can hold the primary mix buffer (the no-sound output cannot).
  virtual bool givesBuffers() const { return true; }
  // The primary mix buffer: frames 16-bit frames the output plays in a loop (null: none).
  virtual std::int16_t* createBuffer(std::int32_t frames) = 0;
  // Keeps the device from reading the buffer while a block is written.
  virtual void lock() {}
  virtual void unlock() {}
  // Frames played since start.
  virtual std::int64_t playPosition() = 0;
  // Clock-paced outputs: count frames starting at frames have just been played.
  virtual void played(const std::int16_t* frames, std::int32_t count) {}
};

// No sound: no memory, play position from the clock.
std::unique_ptr<OutputDriver> makeNoSoundOutput();
// Writes what is played to a 16-bit PCM WAV file; play position from the clock.
std::unique_ptr<OutputDriver> makeWavFileOutput(std::string path);
// The installed audio device, or null when no opener is installed.
std::unique_ptr<OutputDriver> makeDeviceOutput();

}  // namespace korvo::sound
