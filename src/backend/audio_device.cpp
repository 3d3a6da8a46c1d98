// The KORVO_AUDIO choice and the installed device opener.
#include "backend/audio_device.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace korvo::platform {
namespace {
std::atomic<AudioDeviceOpener> gOpener{nullptr};
}  // namespace

AudioOutputChoice chosenAudioOutput() {
  AudioOutputChoice choice;
  const char* env = std::getenv("KORVO_AUDIO");
  if (!env || !*env) return choice;
  if (std::strcmp(env, "none") == 0) {
    choice.kind = AudioOutputKind::kNone;
  } else if (std::strcmp(env, "sdl") == 0) {
    choice.kind = AudioOutputKind::kDevice;
  } else if (std::strncmp(env, "wav:", 4) == 0 && env[4]) {
    choice.kind = AudioOutputKind::kWavFile;
    choice.path = env + 4;
  }
  return choice;
}

void setAudioDeviceOpener(AudioDeviceOpener opener) { gOpener.store(opener); }

AudioDeviceOpener audioDeviceOpener() { return gOpener.load(); }

}  // namespace korvo::platform
