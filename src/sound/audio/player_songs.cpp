// A MusicChannel's song: each operation is the player's, and the song is freed with the channel.
#include "sound/audio/player_songs.h"

#include <string>

#include "base/debug_hooks.h"
#include "base/kv_ex.h"
#include "sound/music/engine_music.h"

namespace korvo::sound {
namespace {

class PlayerSong final : public SongPlayback {
 public:
  PlayerSong(music::MusicPlayer& player, music::Song* song) : player_(player), song_(song) {}
  ~PlayerSong() override { player_.freeSong(song_); }
  void play() override {
    player_.playSong(song_);
    noteDroppedVoices();
  }
  void stop() override { player_.stopSong(song_); }
  void setPaused(bool paused) override { player_.setSongPaused(song_, paused); }
  void setMasterVolume(std::int32_t volume) override { player_.setSongMasterVolume(song_, volume); }
  bool finished() override { return player_.isSongFinished(song_); }

 private:
  // A song with more channels than the engine has voices plays without the channels left
  // over: said once in debug mode.
  void noteDroppedVoices() {
    static bool said = false;
    const auto channels = static_cast<std::int32_t>(song_->channels.size());
    const std::int32_t voices = player_.engine().voiceChannels();
    if (said || !debugMode() || channels <= voices) return;
    said = true;
    if (DebugHooks* hooks = currentHooks()) {
      const std::string text = "Music: the song has " + std::to_string(channels) + " channels and the sound engine " +
                               std::to_string(voices) + " voices; the channels beyond them are not played";
      hooks->log(text.c_str());
    }
  }

  music::MusicPlayer& player_;
  music::Song* song_;
};

}  // namespace

std::unique_ptr<SongPlayback> loadPlayerSong(const std::string& name) {
  music::MusicPlayer& player = music::musicPlayer();
  music::Song* song = player.loadSong(name);
  if (!song) return nullptr;
  return std::make_unique<PlayerSong>(player, song);
}

}  // namespace korvo::sound
