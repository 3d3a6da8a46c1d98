// The installed player of movies' sound tracks.
#include "host/movie_sound.h"

namespace korvo::platform {
namespace {

const MovieSoundPlayer*& installedPlayer() {
  static const MovieSoundPlayer* player = nullptr;
  return player;
}

}  // namespace

void setMovieSoundPlayer(const MovieSoundPlayer* player) { installedPlayer() = player; }

std::int32_t startMovieSound(const std::string& path) {
  const MovieSoundPlayer* player = installedPlayer();
  return player ? player->start(path) : 0;
}

void stopMovieSound(std::int32_t track) {
  if (const MovieSoundPlayer* player = installedPlayer(); player && track) player->stop(track);
}

}  // namespace korvo::platform
