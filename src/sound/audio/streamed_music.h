// PlayMusic's streamed files (sampled audio by name) on the process's stream player.
#pragma once

#include <memory>
#include <string>

#include "sound/audio/audio_channels.h"

namespace korvo::sound {

// The named file opened as a stream in mode 0 (it plays once), or null when it cannot be.
std::unique_ptr<StreamPlayback> openStreamedMusic(const std::string& name);

}  // namespace korvo::sound
