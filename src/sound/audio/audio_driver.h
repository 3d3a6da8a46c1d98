// AudioDriver: the runtime's one audio object. It keeps the live sounds, the table of
// reusable sound channels, the music files already opened by name, every channel object it
// ever made, and the CD channel; it is made by the host's openAudio and goes with the host.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/handle_registry.h"
#include "host/runtime_host.h"
#include "sound/audio/audio_channels.h"
#include "sound/cd/cd_audio.h"

namespace korvo::sound {

class Sample;
class SoundEngine;

// A loaded sound and the defaults the program gave it, pushed to the sample at the next play.
struct Sound {
  Sample* sample = nullptr;
  bool defaultsApplied = true;
  std::int32_t pitch = 0;
  std::int32_t volume = 0;
  std::int32_t pan = 0;
  std::int32_t priority = 0;
};

// Where music files come from: streams for sampled audio, songs for modules and MIDI. Either
// gives null when the file cannot be played.
struct MusicSources {
  std::function<std::unique_ptr<StreamPlayback>(const std::string& name)> openStream;
  std::function<std::unique_ptr<SongPlayback>(const std::string& name)> loadSong;
};

class AudioDriver final : public platform::HostSubsystem {
 public:
  static constexpr std::size_t kInitialSlots = 4096;

  // CD drives play their tracks through cdOutput's outputs; "cdaudio" beside programDir is
  // the default drive's folder unless KORVO_CDROM names one.
  AudioDriver(SoundEngine& engine, cd::CdAudio::OutputMaker cdOutput, const std::string& programDir);
  // Closes every channel object (newest first), frees the sounds, then closes the engine.
  ~AudioDriver() override;

  SoundEngine& engine() { return engine_; }

  // Sounds: handles never reused; 0 when the file does not load.
  std::int32_t loadSound(const std::string& name);
  // Frees a live sound (its sample stops wherever it plays); anything else is ignored.
  void freeSound(std::int32_t sound);
  // The sound, or null (and "Sound does not exist" in debug mode).
  Sound* requireSound(std::int32_t sound);
  // Plays with the sound's defaults; the channel value, or 0 when no channel could be had.
  std::int32_t playSound(Sound& sound);

  // The cached object for the name, restarted, or a new one started; 0 when it cannot play.
  std::int32_t playMusic(const std::string& name);
  void setMusicSources(MusicSources sources) { music_ = std::move(sources); }
  // Plays a CD track (mode 2 repeats it, 3 goes on with the following tracks); the CD channel.
  std::int32_t playCdTrack(std::int32_t track, std::int32_t mode);
  cd::CdAudio& cd() { return *cd_; }

  // The channel object behind a value, or null. The engine is brought up to the clock first,
  // as every engine call does: a tune's channel acts on the music player, not the engine, and
  // what it did until now must be heard before it changes.
  AudioChannel* channel(std::int32_t value) const;
  std::size_t slotCount() const { return slots_.size(); }

 private:
  // Takes a reusable sound channel from the slot table, growing it when all are busy.
  std::int32_t takeSlot();
  std::int32_t newSoundChannel();

  SoundEngine& engine_;
  HandleRegistry<Sound> sounds_;
  // Every channel object made, in creation order; channel values are these handles.
  HandleRegistry<AudioChannel> channels_;
  std::vector<std::int32_t> slots_;  // channel values of sound channels, 0 = empty
  std::size_t cursor_ = 0;
  std::map<std::string, std::int32_t> musicCache_;
  MusicSources music_;
  std::unique_ptr<cd::CdAudio> cd_;
  std::int32_t cdValue_ = 0;
};

// The host's openAudio: starts the engine (44100 Hz, 32 channels, flags 1) and makes the
// driver; null when the host has one already or the engine will not start.
AudioDriver* openAudio(platform::RuntimeHost& host, SoundEngine& engine);
// Ends the driver openAudio made.
void closeAudio(platform::RuntimeHost& host, AudioDriver* driver);

}  // namespace korvo::sound
