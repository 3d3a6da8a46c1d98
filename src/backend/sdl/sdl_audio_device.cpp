// SDL2 playback: SDL's audio thread calls the render callback for every buffer it needs.
#include "backend/sdl/sdl_audio_device.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace korvo::platform {
namespace {

// The sound libraries below SDL print their complaints about a missing card on standard
// error, a screenful on every run of a machine without one; the runtime says it itself, once,
// in debug mode. Standard error goes to /dev/null while the device is looked for.
class QuietStandardError {
 public:
  QuietStandardError() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
  }
  ~QuietStandardError() {
    if (saved_ < 0) return;
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_;
};

class SdlAudioDevice : public AudioDevice {
 public:
  explicit SdlAudioDevice(AudioRender render) : render_(std::move(render)) {}
  ~SdlAudioDevice() override {
    if (device_) SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool open(const AudioSpec& spec) {
    const QuietStandardError quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = spec.rate;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(spec.channels);
    // Small device buffers: the engine already keeps 25 to 75 ms mixed ahead.
    want.samples = 512;
    want.callback = &SdlAudioDevice::callback;
    want.userdata = this;
    SDL_AudioSpec got{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &got, 0);
    if (!device_) return false;
    channels_ = got.channels;
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  const char* name() const override { return "SDL Audio"; }
  void lock() override { SDL_LockAudioDevice(device_); }
  void unlock() override { SDL_UnlockAudioDevice(device_); }

 private:
  static void callback(void* self, Uint8* stream, int len) {
    auto* dev = static_cast<SdlAudioDevice*>(self);
    const int frames = len / static_cast<int>(sizeof(std::int16_t) * dev->channels_);
    dev->render_(reinterpret_cast<std::int16_t*>(stream), frames);
  }

  AudioRender render_;
  SDL_AudioDeviceID device_ = 0;
  int channels_ = 2;
};

}  // namespace

std::unique_ptr<AudioDevice> openSdlAudioDevice(const AudioSpec& spec, AudioRender render) {
  auto dev = std::make_unique<SdlAudioDevice>(std::move(render));
  if (!dev->open(spec)) return nullptr;
  return dev;
}

void installSdlAudio() { setAudioDeviceOpener(&openSdlAudioDevice); }

}  // namespace korvo::platform
