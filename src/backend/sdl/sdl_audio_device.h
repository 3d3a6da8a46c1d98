// The SDL2 sound device behind the audio-device contract.
#pragma once

#include "backend/audio_device.h"

namespace korvo::platform {

// Opens SDL's default playback device for spec and starts it; null when SDL has none.
std::unique_ptr<AudioDevice> openSdlAudioDevice(const AudioSpec& spec, AudioRender render);

// Makes SDL the engine's sound device (setAudioDeviceOpener) for tests of the device alone.
void installSdlAudio();

}  // namespace korvo::platform
