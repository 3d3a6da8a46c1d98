// Track files as streams: the track that plays is an open stream, closed when another starts
// or the drive stops; a track's length comes from its decoder, read without playing it.
#include "sound/cd/stream_track_output.h"

#include "sound/engine/channel_table.h"
#include "sound/engine/sound_engine.h"
#include "sound/formats/sound_decoder.h"
#include "sound/formats/sound_file.h"
#include "sound/streams/media_decoder.h"
#include "sound/streams/stream_player.h"

namespace korvo::sound::cd {
namespace {

class StreamTrackOutput final : public TrackOutput {
 public:
  StreamTrackOutput(streams::StreamPlayer& player, SoundEngine& engine) : player_(player), engine_(engine) {}
  ~StreamTrackOutput() override { stop(); }

  std::int64_t length(const std::string& path) override {
    // The same readers as the stream's, in the same order.
    if (std::unique_ptr<formats::SoundFile> file = formats::SoundFile::open(path)) {
      const formats::DecoderResult opened = formats::openStreamDecoder(*file, 0);
      if (opened.decoder) return opened.decoder->format().lengthMs;
      if (opened.code != EngineError::kUnrecognised) return -1;
    }
    const formats::DecoderResult media = streams::openMediaDecoder(path);
    return media.decoder ? media.decoder->format().lengthMs : -1;
  }

  bool start(const std::string& path) override {
    stop();
    stream_ = player_.openStream(formats::SoundSource::file(path), 0);
    if (!stream_) return false;
    channel_ = player_.playStream(kFreeChannel, stream_);
    if (channel_ < 0) {
      stop();
      return false;
    }
    return true;
  }

  void stop() override {
    if (stream_) player_.closeStream(stream_);
    stream_ = nullptr;
    channel_ = -1;
  }

  void setPaused(bool paused) override {
    if (channel_ >= 0) engine_.setChannelPaused(channel_, paused);
  }

  void setVolume(std::int32_t volume) override {
    if (channel_ >= 0) engine_.setChannelVolume(channel_, volume);
  }

 private:
  streams::StreamPlayer& player_;
  SoundEngine& engine_;
  streams::Stream* stream_ = nullptr;
  std::int32_t channel_ = -1;
};

}  // namespace

std::unique_ptr<TrackOutput> makeStreamTrackOutput(streams::StreamPlayer& player, SoundEngine& engine) {
  return std::make_unique<StreamTrackOutput>(player, engine);
}

}  // namespace korvo::sound::cd
