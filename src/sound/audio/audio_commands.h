// The audio commands: sounds, their defaults, music files, CD tracks and channel control.
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo::sound {
class AudioDriver;
// The driver the commands use (null: the runtime runs without sound).
void setCommandAudio(AudioDriver* driver);
AudioDriver* commandAudio();
}  // namespace korvo::sound

namespace korvo::cmd {

std::int32_t LoadSound(KvString* filename);
void FreeSound(std::int32_t sound);
void LoopSound(std::int32_t sound);
void SoundPitch(std::int32_t sound, std::int32_t pitch);
void SoundVolume(std::int32_t sound, float volume);
void SoundPan(std::int32_t sound, float pan);
std::int32_t PlaySound(std::int32_t sound);
std::int32_t PlayMusic(KvString* midifile);
std::int32_t PlayCDTrack(std::int32_t track, std::int32_t mode);
void StopChannel(std::int32_t channel);
void PauseChannel(std::int32_t channel);
void ResumeChannel(std::int32_t channel);
void ChannelPitch(std::int32_t channel, std::int32_t pitch);
void ChannelVolume(std::int32_t channel, float volume);
void ChannelPan(std::int32_t channel, float pan);
std::int32_t ChannelPlaying(std::int32_t channel);

}  // namespace korvo::cmd
