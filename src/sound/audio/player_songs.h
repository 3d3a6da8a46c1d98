// PlayMusic's songs from the music player: tracker modules and MIDI files, loaded by content.
#pragma once

#include <memory>
#include <string>

#include "sound/audio/audio_channels.h"

namespace korvo::sound {

// The song in the named file on the process's music player, or null when no song loader takes it.
std::unique_ptr<SongPlayback> loadPlayerSong(const std::string& name);

}  // namespace korvo::sound
