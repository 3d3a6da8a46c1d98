// The shared invalid sample.
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

}  // namespace korvo::sound::music
