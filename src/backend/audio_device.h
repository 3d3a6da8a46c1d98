// The contract between the sound engine and a sound device: the device pulls interleaved
// 16-bit frames from a render callback on its own thread. Backends provide an opener; the
// engine keeps working with its own outputs (no sound, WAV file) when none is installed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace korvo::platform {

// The audio output asked for by KORVO_AUDIO=none|sdl|wav:PATH (kAuto when unset).
enum class AudioOutputKind { kAuto, kNone, kDevice, kWavFile };
struct AudioOutputChoice {
  AudioOutputKind kind = AudioOutputKind::kAuto;
  std::string path;  // the WAV file for kWavFile
};
AudioOutputChoice chosenAudioOutput();

// Format of the frames a device plays.
struct AudioSpec {
  int rate = 44100;
  int channels = 2;
};

// Fills count frames (count * channels values) of signed 16-bit audio; called on the
// device's thread.
using AudioRender = std::function<void(std::int16_t* frames, int count)>;

// An open, playing device.
class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  virtual const char* name() const = 0;
  // Keep the render callback from running between lock and unlock.
  virtual void lock() = 0;
  virtual void unlock() = 0;
};

// Opens the default device for spec and starts it; null when there is none.
using AudioDeviceOpener = std::unique_ptr<AudioDevice> (*)(const AudioSpec& spec, AudioRender render);
void setAudioDeviceOpener(AudioDeviceOpener opener);
// The installed opener, or null.
AudioDeviceOpener audioDeviceOpener();

}  // namespace korvo::platform
