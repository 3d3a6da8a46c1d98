// The audio commands map the language's values onto the driver and its channels. Sound
// handles are checked only in debug mode; channel values are looked up and 0 does nothing.
#include "sound/audio/audio_commands.h"

#include "sound/audio/audio_driver.h"
#include "sound/engine/sound_engine.h"

namespace korvo::sound {
namespace {

AudioDriver* gAudio = nullptr;

}  // namespace

void setCommandAudio(AudioDriver* driver) { gAudio = driver; }
AudioDriver* commandAudio() { return gAudio; }

}  // namespace korvo::sound

namespace korvo::cmd {
namespace {

using sound::AudioChannel;
using sound::gAudio;

// Without a driver the runtime runs silent: there is no sound set to check handles against.
sound::Sound* soundArg(std::int32_t handle) { return gAudio ? gAudio->requireSound(handle) : nullptr; }

// A sound whose stored defaults change: they reach the sample at its next PlaySound.
sound::Sound* soundForDefaults(std::int32_t handle) {
  sound::Sound* s = soundArg(handle);
  if (s) s->defaultsApplied = false;
  return s;
}

AudioChannel* channelArg(std::int32_t value) { return value != 0 && gAudio ? gAudio->channel(value) : nullptr; }

}  // namespace

std::int32_t LoadSound(KvString* filename) {
  core::StringArg name(filename);
  return gAudio ? gAudio->loadSound(std::string(name.view())) : 0;
}

void FreeSound(std::int32_t sound) {
  if (gAudio) gAudio->freeSound(sound);
}

void LoopSound(std::int32_t sound) {
  if (sound::Sound* s = soundArg(sound)) gAudio->engine().setSampleMode(s->sample, sound::mode::kLoopNormal);
}

void SoundPitch(std::int32_t sound, std::int32_t pitch) {
  if (sound::Sound* s = soundForDefaults(sound)) s->pitch = pitch;
}

void SoundVolume(std::int32_t sound, float volume) {
  if (sound::Sound* s = soundForDefaults(sound)) s->volume = sound::volumeFromFloat(volume);
}

void SoundPan(std::int32_t sound, float pan) {
  if (sound::Sound* s = soundForDefaults(sound)) s->pan = sound::panFromFloat(pan);
}

std::int32_t PlaySound(std::int32_t sound) {
  if (sound == 0) return 0;
  sound::Sound* s = soundArg(sound);
  return s ? gAudio->playSound(*s) : 0;
}

std::int32_t PlayMusic(KvString* midifile) {
  core::StringArg name(midifile);
  return gAudio ? gAudio->playMusic(name.str()) : 0;
}

std::int32_t PlayCDTrack(std::int32_t track, std::int32_t mode) {
  return gAudio ? gAudio->playCdTrack(track, mode) : 0;
}

void StopChannel(std::int32_t channel) {
  if (AudioChannel* c = channelArg(channel)) c->stop();
}

void PauseChannel(std::int32_t channel) {
  if (AudioChannel* c = channelArg(channel)) c->setPaused(true);
}

void ResumeChannel(std::int32_t channel) {
  if (AudioChannel* c = channelArg(channel)) c->setPaused(false);
}

void ChannelPitch(std::int32_t channel, std::int32_t pitch) {
  if (AudioChannel* c = channelArg(channel)) c->setPitch(pitch);
}

void ChannelVolume(std::int32_t channel, float volume) {
  if (AudioChannel* c = channelArg(channel)) c->setVolume(volume);
}

void ChannelPan(std::int32_t channel, float pan) {
  if (AudioChannel* c = channelArg(channel)) c->setPan(pan);
}

std::int32_t ChannelPlaying(std::int32_t channel) {
  AudioChannel* c = channelArg(channel);
  return c && c->isPlaying() ? 1 : 0;
}

}  // namespace korvo::cmd
