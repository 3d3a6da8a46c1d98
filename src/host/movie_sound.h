// Movies' sound tracks, as the host offers them: the audio module plays them (it installs its
// player while it lives), a movie starts its track when it opens and stops it when it closes.
// Without a player, or when a track cannot be played, movies play silent.
#pragma once

#include <cstdint>
#include <string>

namespace korvo::platform {

struct MovieSoundPlayer {
  // Starts the sound of the movie file at path (resolved) at once; a track number, or 0 when
  // the file has no sound or it cannot be played.
  std::int32_t (*start)(const std::string& path);
  // Stops a track and frees it; nothing for one that is gone.
  void (*stop)(std::int32_t track);
};

// The player, or null for none; it stays installed until replaced.
void setMovieSoundPlayer(const MovieSoundPlayer* player);
std::int32_t startMovieSound(const std::string& path);
void stopMovieSound(std::int32_t track);

}  // namespace korvo::platform
