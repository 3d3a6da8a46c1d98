// The audio module: its life in the runtime and its registrations.
#include "sound/audio/audio_module.h"
#include "host/runtime_host.h"
#include "sound/audio/audio_commands.h"
#include "sound/audio/audio_driver.h"
#include "sound/audio/movie_sound_tracks.h"
#include "sound/engine/sound_engine.h"

namespace korvo {

// Always succeeds: without a driver (the engine would not start) the runtime runs silent.
bool createAudioModule() {
  if (platform::RuntimeHost* host = platform::RuntimeHost::current())
    sound::setCommandAudio(sound::openAudio(*host, sound::soundEngine()));
  platform::setMovieSoundPlayer(&sound::movieSoundTracks());
  return true;
}

void destroyAudioModule() {
  sound::AudioDriver* driver = sound::commandAudio();
  sound::setCommandAudio(nullptr);
  platform::setMovieSoundPlayer(nullptr);
  sound::closeMovieSoundTracks();
  if (platform::RuntimeHost* host = platform::RuntimeHost::current(); host && driver) sound::closeAudio(*host, driver);
}

void registerAudioCommands(Registrar& r) {
  using namespace cmd;
  r.add("%LoadSound$filename", entry<&LoadSound>());
  r.add("FreeSound%sound", entry<&FreeSound>());
  r.add("LoopSound%sound", entry<&LoopSound>());
  r.add("SoundPitch%sound%pitch", entry<&SoundPitch>());
  r.add("SoundVolume%sound#volume", entry<&SoundVolume>());
  r.add("SoundPan%sound#pan", entry<&SoundPan>());
  r.add("%PlaySound%sound", entry<&PlaySound>());
  r.add("%PlayMusic$midifile", entry<&PlayMusic>());
  r.add("%PlayCDTrack%track%mode=1", entry<&PlayCDTrack>());
  r.add("StopChannel%channel", entry<&StopChannel>());
  r.add("PauseChannel%channel", entry<&PauseChannel>());
  r.add("ResumeChannel%channel", entry<&ResumeChannel>());
  r.add("ChannelPitch%channel%pitch", entry<&ChannelPitch>());
  r.add("ChannelVolume%channel#volume", entry<&ChannelVolume>());
  r.add("ChannelPan%channel#pan", entry<&ChannelPan>());
  r.add("%ChannelPlaying%channel", entry<&ChannelPlaying>());
}

}  // namespace korvo
