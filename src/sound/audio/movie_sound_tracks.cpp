// Each track is a stream the registry owns; its handle is the track number the movie keeps,
// so a movie that outlives the audio module stops a track that is already gone.
#include "sound/audio/movie_sound_tracks.h"

#include <memory>
#include <utility>

#include "base/handle_registry.h"
#include "host/host_record.h"
#include "sound/engine/channel_table.h"
#include "sound/streams/media_decoder.h"
#include "sound/streams/stream_player.h"

namespace korvo::sound {
namespace {

struct Track {
  explicit Track(streams::Stream* s) : stream(s) {}
  ~Track() { streams::streamPlayer().closeStream(stream); }
  Track(const Track&) = delete;
  Track& operator=(const Track&) = delete;

  streams::Stream* stream;
};

// The run's tracks, kept by the host; the audio module runs on one.
HandleRegistry<Track>& tracks() { return *platform::RecordOf<HandleRegistry<Track>>::find(); }

std::int32_t startTrack(const std::string& path) {
  formats::DecoderResult opened = streams::openMediaDecoder(path);
  if (!opened.decoder) return 0;
  streams::StreamPlayer& player = streams::streamPlayer();
  streams::Stream* stream = player.openStream(std::move(opened.decoder), 0, path);
  if (!stream) return 0;
  if (player.playStream(kFreeChannel, stream) < 0) {
    player.closeStream(stream);
    return 0;
  }
  return tracks().add(std::make_unique<Track>(stream));
}

void stopTrack(std::int32_t track) { tracks().erase(track); }

constexpr platform::MovieSoundPlayer kTracks{&startTrack, &stopTrack};

}  // namespace

const platform::MovieSoundPlayer& movieSoundTracks() { return kTracks; }

void closeMovieSoundTracks() { tracks().clear(); }

}  // namespace korvo::sound
