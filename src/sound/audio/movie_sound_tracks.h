// Movies' sound tracks on the process's stream player: the first audio stream of a movie file,
// decoded by FFmpeg, played once on a free channel from the moment its movie opens, so that
// the output (a WAV file included) has it and it follows the engine's volume.
#pragma once

#include "host/movie_sound.h"

namespace korvo::sound {

// The player the audio module installs while it lives.
const platform::MovieSoundPlayer& movieSoundTracks();
// Stops and frees every track still playing (the audio module's end, before the engine's).
void closeMovieSoundTracks();

}  // namespace korvo::sound
