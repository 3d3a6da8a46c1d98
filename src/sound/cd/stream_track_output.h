// A CD drive's tracks through the engine's streams: each track file plays once as a stream on
// a channel of its own, so the outputs (the WAV file among them) record it, and the drive's
// volume and pause act on that channel alone.
#pragma once

#include <memory>

#include "sound/cd/cd_drive.h"

namespace korvo::sound {
class SoundEngine;
}  // namespace korvo::sound

namespace korvo::sound::streams {
class StreamPlayer;
}  // namespace korvo::sound::streams

namespace korvo::sound::cd {

// An output on player's streams (player plays on engine).
std::unique_ptr<TrackOutput> makeStreamTrackOutput(streams::StreamPlayer& player, SoundEngine& engine);

}  // namespace korvo::sound::cd
