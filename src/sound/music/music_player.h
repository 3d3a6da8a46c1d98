// The music player: loading songs by content, playing, stopping, pausing and the master
// volume of songs, the scheduler that runs as the music unit of the engine's mix chain, the
// pool of voices on reserved engine channels, and applying a voice to its channel.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sound/music/music_engine.h"
#include "sound/music/song.h"

namespace korvo::sound::music {

class MidiPlayer;

class MusicPlayer {
 public:
  // The player becomes the engine's music unit when it first plays a song. MIDI files go to
  // midi (tried after every tracker format; it must outlive the player), and without one
  // they are not songs.
  explicit MusicPlayer(MusicEngine& engine, MidiPlayer* midi = nullptr);
  ~MusicPlayer();
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;

  // Loads a song from a file (by content: the formats are tried in turn while none
  // recognises it); null with the engine error set on failure.
  Song* loadSong(const std::string& path);
  // The same from bytes in memory.
  Song* loadSongFromMemory(const std::uint8_t* data, std::size_t size);
  // Stops the song and frees it with the samples it owns.
  void freeSong(Song* song);
  // Starts the song from its beginning; false when its start hook refuses.
  bool playSong(Song* song);
  void stopSong(Song* song);
  void setSongPaused(Song* song, bool paused);
  // Master volume 0..256.
  void setSongMasterVolume(Song* song, std::int32_t volume);
  bool isSongFinished(const Song* song) const;
  // Row and order the song had reached when the output was at samples (the ring of the last
  // blocks); the oldest entry when samples is older than the ring.
  AudiblePosition audiblePosition(const Song* song, std::int64_t samples) const;
  // The scheduler: mixes one block of every playing song, tick by tick (songs follow a
  // change of the engine's mix rate at the next block).
  void mixBlock(void* buffer, std::int32_t samples);

  // For tick handlers: the channel's first voice, taking one from the pool if it has none
  // (the dummy voice when no engine channel is left).
  Voice& voiceFor(Song& song, SongChannel& channel);
  // The channel's first voice or the dummy voice, without allocating.
  Voice& currentVoice(SongChannel& channel) { return channel.voices ? *channel.voices : blankDummy(); }
  // A further voice for the channel, put first (the channel's current voice) with the others
  // kept sounding behind it; null when no engine channel is left.
  Voice* addVoice(SongChannel& channel);
  // Stops a voice of the channel and gives its engine channel back.
  void dropVoice(SongChannel& channel, Voice& voice);
  // Whether the voice's note still sounds on its engine channel.
  bool voiceSounds(const Voice& voice) const { return voice.channel >= 0 && engine_.isPlaying(voice.channel); }
  // Sends the voice's flagged changes to its engine channel and clears the flags.
  void applyVoice(const Song& song, Voice& voice);
  std::int32_t mixRate() const { return engine_.mixRate(); }
  MusicEngine& engine() { return engine_; }

 private:
  Song* load(const std::uint8_t* data, std::size_t size);
  // Replaces every reference to the song sample pcm (freed elsewhere) with the invalid sample.
  void forgetSample(std::int32_t pcm);
  void releaseVoices(Song& song);
  void unlink(Song& song);
  void runSong(Song& song, std::uint8_t* buffer, std::int32_t samples);
  // The dummy voice, cleared: what one channel left in it (another song's sample or
  // instrument, perhaps freed since) never reaches the next.
  // A cleared voice on a newly reserved engine channel; null when none is left.
  Voice* takeVoice();
  Voice& blankDummy() {
    dummy_ = Voice{};
    return dummy_;
  }

  MusicEngine& engine_;
  MidiPlayer* midi_;
  // Held by the scheduler for a whole block and by every change of the playing list.
  mutable std::recursive_mutex mutex_;
  Song* playing_ = nullptr;
  // One voice per engine channel, indexed by the channel it reserved.
  std::deque<Voice> pool_;
  Voice dummy_;
  std::vector<std::unique_ptr<Song>> songs_;
};

}  // namespace korvo::sound::music
