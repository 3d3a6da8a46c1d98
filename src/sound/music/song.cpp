// The shared invalid sample, and the samples a song owns.
#include "sound/music/song.h"

namespace korvo::sound::music {

SongSample& invalidSample() {
  static SongSample sample = [] {
    SongSample s;
    s.name = "Invalid Sample";
    s.length = 0;
    s.loopLength = 0;
    s.volume = 0;
    return s;
  }();
  return sample;
}

SongSample& Song::addSample() {
  ownedSamples.push_back(std::make_unique<SongSample>());
  samples.push_back(ownedSamples.back().get());
  return *ownedSamples.back();
}

}  // namespace korvo::sound::music
