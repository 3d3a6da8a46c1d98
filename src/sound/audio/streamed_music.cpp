// A StreamChannel's stream: played on a free channel, stopped, and closed with the channel.
#include "sound/audio/streamed_music.h"

#include "sound/engine/channel_table.h"
#include "sound/streams/stream_player.h"

namespace korvo::sound {
namespace {

class StreamedMusic final : public StreamPlayback {
 public:
  StreamedMusic(streams::StreamPlayer& player, streams::Stream* stream) : player_(player), stream_(stream) {}
  ~StreamedMusic() override { player_.closeStream(stream_); }
  std::int32_t play() override { return player_.playStream(kFreeChannel, stream_); }
  void stop() override { player_.stopStream(stream_); }

 private:
  streams::StreamPlayer& player_;
  streams::Stream* stream_;
};

}  // namespace

std::unique_ptr<StreamPlayback> openStreamedMusic(const std::string& name) {
  streams::StreamPlayer& player = streams::streamPlayer();
  streams::Stream* stream = player.openStream(formats::SoundSource::file(name), 0);
  if (!stream) return nullptr;
  return std::make_unique<StreamedMusic>(player, stream);
}

}  // namespace korvo::sound
